#pragma once
// Registers the application layer's creatable classes (TTimer) with the class table, so that
// stored forms can create them by name.
void RegisterAppClasses();
