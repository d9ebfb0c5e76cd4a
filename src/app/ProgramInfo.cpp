#include "app/ProgramInfo.h"

#include "client/core/ClientTexts.h"

#ifndef NOVALUNE_VERSION
#define NOVALUNE_VERSION "0"
#endif

namespace novalune::app {

namespace {

constexpr const char* kHelp =
    "Usage: novalune [/SONLY | /CONLY | ADDRESS | ZKWC2://HOST/ROOM]\n"
    "Japanese chat: a chat server in the tray and a chat client window.\n"
    "\n"
    "  (no argument)        start a server on this machine and a client for it,\n"
    "                       or only a client when a server runs already\n"
    "  /SONLY               run the server only (without a display: no console,\n"
    "                       SIGHUP reloads the refuse list and the password)\n"
    "  /CONLY               run the client only\n"
    "  ADDRESS              run the client and offer to connect to ADDRESS\n"
    "  ZKWC2://HOST/ROOM    the same for a room link; a client already running on\n"
    "                       this desktop takes the link instead of a new one\n"
    "  --help               show this help and exit\n"
    "  --version            show the version and exit\n"
    "\n"
    "Settings live beside the program when its folder is writable, otherwise in\n"
    "$XDG_CONFIG_HOME/novalune/ (~/.config/novalune/); NOVALUNE_HOME overrides.\n";

}  // namespace

std::optional<int> AnswerInfoOptions(const std::vector<std::string>& arguments, std::FILE* out,
                                     std::FILE* err) {
  for (const std::string& argument : arguments) {
    if (argument == "--help") {
      std::fputs(kHelp, out);
      return 0;
    }
    if (argument == "--version") {
      // The caption's version is what users quote; the package version is what they install.
      std::fprintf(out, "%s (novalune %s)\n", client::text::kCaptionBase, NOVALUNE_VERSION);
      return 0;
    }
    if (argument.rfind("--", 0) == 0) {
      std::fprintf(err, "novalune: unknown option '%s' (try --help)\n", argument.c_str());
      return 2;
    }
  }
  return std::nullopt;
}

}  // namespace novalune::app
