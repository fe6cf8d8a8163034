#pragma once
// The program's main block: initialise the application, set the form factor, register the
// game's form and run. Every front end (the game, the headless tool) starts through it.
void MainBlock();
