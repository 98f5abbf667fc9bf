// Giving a case its service level: the importance from the SLA's priority
// and the due date from its response time, counted over the service
// calendar of the connected add-in's global settings from the present time.
#pragma once

#include <string_view>

#include "runtime/Date.h"

namespace zanvoro {

namespace host {
class Item;
}  // namespace host

class cOutlookSettings;
class cSLAs;
struct ServiceCalendar;

// Looks up `sla_name` in `slas`; when found, sets the item's importance and
// writes the due date of its response time counted from `now` with its
// companions ("Case.DueDate", "Case Due", "Case.DueDateS"), and returns
// true. An unknown name changes nothing and gives false; so does an item in
// conflict (after its importance is set). The item is not saved. Failures
// are reported under "SLA.ApplySLAToCaseItem".
bool ApplySLAToCaseItem(host::Item& item, std::string_view sla_name, const cSLAs& slas,
                        const ServiceCalendar& calendar, Date now);

// The service calendar of the connected add-in's general settings, as read
// at their last load (the default calendar while there are no settings).
// Each call compares the five calendar settings with those it was read from
// and reads it again when any changed. The reference stays valid; its value
// follows later calls. UI thread only.
const ServiceCalendar& SharedServiceCalendar();

}  // namespace zanvoro
