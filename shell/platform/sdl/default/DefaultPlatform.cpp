// Linked into the game: the SDL platform is in place, with the application object, before the
// main block runs; --record FILE on the command line records the run (see TRecorder).
#include "shell/platform/Recorder.h"
#include "shell/platform/sdl/SdlPlatform.h"

namespace {
const bool Installed = (InstallSdlPlatform(), StartRecordingFromCommandLine(), true);
}  // namespace
