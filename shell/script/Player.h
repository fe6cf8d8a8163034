#pragma once
// Scripts run by a program's own start-up (DefaultPlatform.cpp reads the switches):
//
//   --headless-script FILE   the program runs on the headless back end, without a display, with
//                            its own main form driven by the script FILE ("-": standard input)
//                            on virtual time, as kelvane-headless drives the game: output on
//                            standard output, errors on standard error as FILE:LINE: MESSAGE;
//                            the program ends at the script's end (or quit, or its first
//                            error) with exit status 1 when a command failed
//   --play FILE [--exit]     the program opens its window as usual and plays the script FILE
//                            in it at the script's pace: an advance or a recording's ticks
//                            line waits as long on the wall clock (a recording's timer
//                            messages spread over it, exactly those), inputs are delivered as
//                            the script says. At the end the player has the window (a line on
//                            standard error says so): the script's close or quit is not run. With --exit the program runs them
//                            and ends there, with exit status 1 when a command failed.
#include <string>

#include "shell/core/Export.h"

class THeadlessBackend;

/// Runs the script FileName on Backend's platform from the loop's first wait on (the start-up
/// does it for --headless-script; the headless back end stays inside the library).
void StartHeadlessScript(THeadlessBackend& Backend, const std::string& FileName);
/// Plays the script FileName in the main form's window from the loop's first wait on, as
/// --play does: a program may play a demonstration of its own this way.
KELVANE_API void StartPlaying(const std::string& FileName, bool ExitAtEnd);
