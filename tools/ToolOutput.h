#pragma once
// The last step of every tool that prints its results: standard output flushed and closed,
// so that output the system could not keep (a full disk) is an error, not a silent loss.
#include <iostream>

#include "shell/core/Exceptions.h"
#include "shell/core/FileOutput.h"

// Status, or 1 after printing "PROGRAM: Cannot write standard output: MESSAGE" when standard
// output could not take everything.
inline int FinishStandardOutput(const char* Program, int Status) {
  try {
    CloseStandardOutput();
  } catch (const Exception& E) {
    std::cerr << Program << ": " << E.Message() << "\n";
    return 1;
  }
  return Status;
}
