#pragma once
// Start-up of the styles.
//
// RegisterStyleClasses: the style classes (and the control classes that styles hold) in the
// class table, so that style streams create them by name. Loading calls it itself.
//
// InitializeStyles: what the shell does before the main block runs: the classes, TStyleContainer
// as the class of loaded styles, the platform style resources ("win7style", "win8style",
// "win10style" with WindowsStyleSelection for Windows; "win10style" for Linux) and the style
// lookup of styled controls. Runs once; later calls do nothing.
#include "shell/core/Export.h"
KELVANE_API void RegisterStyleClasses();
KELVANE_API void InitializeStyles();
