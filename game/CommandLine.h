#pragma once
// The game's command line: --version and --help answer without starting anything; --record FILE
// is the framework's (its start-up records the run); every other argument is ignored.
#include <optional>
#include <ostream>
#include <span>

// Answers the first of --version and --help among Args (the program's arguments, without its
// name) on Out and returns the exit status; returns nothing when the game is to start.
std::optional<int> AnswerCommandLine(std::span<const char* const> Args, std::ostream& Out);
