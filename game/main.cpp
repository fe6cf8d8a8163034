// Kelvane: the game. The platform object and the application were made before main, when the
// program's units were initialised; the main block does the rest.
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "game/CommandLine.h"
#include "game/LargePages.h"
#include "game/MainBlock.h"
#include "game/Register.h"
#include "scene3d/context/ContextManager.h"
#include "shell/app/Application.h"
#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/canvas/CanvasCairo.h"

int main(int argc, char** argv) {
  // glibc raises its mmap threshold to the size of each large block freed (up to 32 MiB): after
  // a view's surfaces are freed on a resize, the next ones come from the heap, whose freed middle
  // is not given back, and a storm of resizes left the game 27 MB larger with no more memory in
  // use. At a fixed threshold every surface has a mapping of its own, returned when freed; the
  // steady state maps nothing per frame, so frames cost the same.
  mallopt(M_MMAP_THRESHOLD, 128 * 1024);
  // --version and --help answer before anything of the display is touched.
  const std::span<const char* const> Args(argv, argc > 0 ? static_cast<size_t>(argc) : 0);
  if (std::optional<int> Status = AnswerCommandLine(Args.subspan(Args.empty() ? 0 : 1), std::cout)) return *Status;
  RestartWithLargePages(argv);
  RegisterGameClasses();
  // The 3D device takes a good part of start-up to make: a worker makes it while the window
  // is created and the form is read.
  TContextManager::PrepareDeviceInBackground();
  // The first frame's text needs fontconfig's configuration and the font files: laid out once
  // now, they wait in the font map that every canvas of this thread shares, where the first
  // paint would have loaded them after waiting for the device.
  {
    TBitmap Probe(1, 1);
    Probe.Canvas()->TextWidth("0");
  }
  // Without a font every text is blank; the game is still playable, and the line says why.
  if (!CairoFontsAvailable()) std::cerr << "kelvane: No font found: the window's text will not be drawn\n";
  int Status = 0;
  try {
    MainBlock();
  } catch (...) {
    // An exception during start-up ends the program, never silently.
    Application->ReportStartupException();
    Status = 1;
  }
  // A start that failed does not wait for a device it will never use: the worker may spend
  // seconds more in the driver (loading its compiler), and the libraries it is in must not be
  // torn down under it, so the process ends here without the teardown.
  if (Status != 0 && TContextManager::DevicePreparationBusy()) {
    std::fflush(nullptr);
    std::_Exit(Status);
  }
  // Before the libraries the worker may still be in are torn down.
  TContextManager::EndDevicePreparation();
  return Status;
}
