// Kelvane: the game. The platform object and the application were made before main, when the
// program's units were initialised; the main block does the rest.
#include <iostream>

#include "game/MainBlock.h"
#include "game/Register.h"

int main() {
  RegisterGameClasses();
  try {
    MainBlock();
  } catch (const std::exception& E) {
    // An exception during start-up ends the program.
    std::cerr << "kelvane: " << E.what() << "\n";
    return 1;
  }
  return 0;
}
