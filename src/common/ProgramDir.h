// The program folder: where the settings file and every list file live.
#pragma once

#include <string>
#include <string_view>

namespace novalune {

// The folder of the program file with a trailing '/'. The environment
// variable NOVALUNE_HOME, when set and not empty, names the folder instead
// (tests and portable use); a missing trailing '/' is added.
std::string ProgramDir();

// ProgramDir() followed by the file name.
std::string ProgramPath(std::string_view fileName);

}  // namespace novalune
