// The game's command line: --version and --help answer and end the program; anything else starts
// the game.
#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "game/CommandLine.h"

namespace {

constexpr const char* Version = "Kelvane 1.0.0.0\n";
constexpr const char* Usage =
    "Usage: kelvane [--version | --help | --record FILE | --play FILE [--exit] | --headless-script FILE]\n"
    "Starts the game Kelvane in its window; --version prints the version, --help this text, --record FILE records the "
    "run as a kelvane-headless script, --play FILE plays such a script in the window at its pace and then leaves the "
    "game to you (--exit: ends with it), --headless-script FILE runs the game without a display under the script.\n";

struct TCase {
  std::vector<const char*> Args;
  std::optional<int> Status;
  const char* Output;
};

class CommandLineTest : public ::testing::TestWithParam<TCase> {};

TEST_P(CommandLineTest, AnswersOrStartsTheGame) {
  const TCase& Case = GetParam();
  std::ostringstream Out;
  EXPECT_EQ(AnswerCommandLine(Case.Args, Out), Case.Status);
  EXPECT_EQ(Out.str(), Case.Output);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineTest,
    ::testing::Values(
        TCase{{}, std::nullopt, ""},
        TCase{{"--version"}, 0, Version},
        TCase{{"--help"}, 0, Usage},
        // Other arguments are ignored, before and after an answered one; the first answered wins.
        TCase{{"-v", "--verbose", "file.txt", ""}, std::nullopt, ""},
        TCase{{"--fullscreen", "--version", "x"}, 0, Version},
        TCase{{"--help", "--version"}, 0, Usage},
        TCase{{"--version", "--help"}, 0, Version},
        // Only the exact words: no prefixes, no other spellings, no values attached.
        TCase{{"--versio", "-version", "--VERSION", "--help=1", "-h"}, std::nullopt, ""}));

}  // namespace
