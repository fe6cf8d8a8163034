#pragma once
// Registering the framework's classes, which a program does once, before it reads a form.
#include "shell/core/Export.h"

/// Registers every 3D class that a stored form can create.
KELVANE_API void RegisterScene3DClasses();

/// Registers every class of the framework that a stored form can create (controls, 3D objects,
/// application components, styles) and installs the style lookups of forms and layers. A
/// program calls it at the start of main, then registers its own form classes with
/// RegisterClass(TMyForm::StaticClass()) before Application->CreateForm reads them.
KELVANE_API void RegisterFrameworkClasses();
