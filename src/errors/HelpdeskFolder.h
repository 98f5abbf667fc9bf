// The six folders of a helpdesk, as the rest of the add-in names them.
#pragma once

namespace zanvoro {

enum class HelpdeskFolder { Settings, Ongoing, Resolved, KB, Schedule, History };

}  // namespace zanvoro
