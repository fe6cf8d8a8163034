#pragma once
// Registers the creatable control classes with the class table, so that form streams can
// create them by name.
void RegisterControlClasses();
