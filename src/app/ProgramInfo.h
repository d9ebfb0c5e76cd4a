// The options a desktop user expects of any program: --help and --version,
// answered without a display and before any run mode is chosen.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

namespace novalune::app {

// Prints the help or the version to `out` and returns 0, or names an unknown
// "--" option on `err` and returns 2. Nothing (and nothing printed) when the
// arguments hold none of these: "/SONLY", "/CONLY" and addresses go on as usual.
std::optional<int> AnswerInfoOptions(const std::vector<std::string>& arguments, std::FILE* out,
                                     std::FILE* err);

}  // namespace novalune::app
