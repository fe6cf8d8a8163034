#pragma once
// Registers every class that the game's stored form can create, the game's form included.
void RegisterGameClasses();
