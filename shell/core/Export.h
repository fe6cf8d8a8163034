#pragma once
// KELVANE_API marks what libkelvane exports: the classes, functions and variables that a program
// built on the framework uses. The library is compiled with hidden visibility, so whatever is
// not marked (the platform back ends, the GL device, the stream's helpers) stays inside it and
// can change without breaking a program linked to it.
#define KELVANE_API __attribute__((visibility("default")))
