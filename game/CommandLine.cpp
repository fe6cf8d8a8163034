#include "game/CommandLine.h"

#include <string_view>

#include "game/Version.h"

std::optional<int> AnswerCommandLine(std::span<const char* const> Args, std::ostream& Out) {
  for (const char* Arg : Args) {
    const std::string_view Word = Arg ? Arg : "";
    if (Word == "--version") {
      Out << KELVANE_PRODUCT_NAME " " KELVANE_VERSION "\n";
      return 0;
    }
    if (Word == "--help") {
      Out << "Usage: kelvane [--version | --help | --record FILE | --play FILE [--exit] | --headless-script FILE]\n"
             "Starts the game " KELVANE_PRODUCT_NAME " in its window; --version prints the version, --help this text, "
             "--record FILE records the run as a kelvane-headless script, --play FILE plays such a script in the "
             "window at its pace and then leaves the game to you (--exit: ends with it), --headless-script FILE "
             "runs the game without a display under the script.\n";
      return 0;
    }
  }
  return std::nullopt;
}
