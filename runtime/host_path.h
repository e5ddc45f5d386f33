#pragma once

#include <string>
#include <string_view>

namespace kalvento::rt {

// Maps a path as the system's code writes it, in DOS form ("C:\LUMO\MWSTDAT",
// "CMail\Ausgang\1.ausg", "Roula.html"), to a path on this host:
//  - backslash and slash both separate folders;
//  - a drive letter X: stands for the folder named by the environment variable
//    KALVENTO_DRIVE_X, by default $HOME/.kalvento/drive_x;
//  - each existing folder or file is matched without regard to case when the
//    exact name is absent, as a DOS file system does; a name that matches nothing
//    is kept as written, so new files get the name the code gave them.
// Host paths ("/tmp/a.dbf") pass through with only the case matching applied.
std::string HostPath(std::string_view dosPath);

// The host folder that stands for a drive letter (either case).
std::string DriveFolder(char letter);

}  // namespace kalvento::rt
