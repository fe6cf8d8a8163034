// Linked into the game: the SDL platform is in place, with the application object, before the
// main block runs.
#include "shell/platform/sdl/SdlPlatform.h"

namespace {
const bool Installed = (InstallSdlPlatform(), true);
}  // namespace
