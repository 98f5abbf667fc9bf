// The user's folders and the machine's and user's names.
#pragma once

#include <filesystem>
#include <string>

namespace zanvoro::host {

// $HOME, else the home folder in the user database.
std::filesystem::path HomeFolder();
// $XDG_CONFIG_HOME when it is an absolute path, else "<home>/.config".
std::filesystem::path ConfigFolder();
// The user's documents folder: XDG_DOCUMENTS_DIR from the environment or from
// "<config folder>/user-dirs.dirs" ("$HOME/..." or an absolute path), else
// "<home>/Documents". The folder is not created.
std::filesystem::path DocumentsFolder();
// The folder of the running program (where its companion programs sit).
std::filesystem::path ProgramFolder();

// The machine's network node name.
std::string ComputerName();
// The login name of the user running the program.
std::string UserName();
// The user's full name from the user database, else the login name.
std::string UserDisplayName();

}  // namespace zanvoro::host
