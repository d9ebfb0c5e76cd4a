// The program folder: where the settings file and every list file live.
#pragma once

#include <string>
#include <string_view>

namespace novalune {

// The folder that holds the settings file and the list files, with a
// trailing '/'. In order:
//  1. NOVALUNE_HOME, when set and not empty (tests and portable use);
//  2. the folder of the program file, when it is writable and is not the
//     folder the program is installed to (a portable copy);
//  3. $XDG_CONFIG_HOME/novalune/ (default ~/.config/novalune/), created on
//     first use.
// Server and client run the same program file as the same user, so they
// always agree.
std::string ProgramDir();

// The same choice for a program file in `executableDir`; `installedDir` is
// the folder an installed program lives in (never used for settings, even
// where root could write there).
std::string ChooseProgramDir(const std::string& executableDir, const std::string& installedDir);

// ProgramDir() followed by the file name.
std::string ProgramPath(std::string_view fileName);

}  // namespace novalune
