#pragma once
#include <functional>
#include <memory>
#include <string>

#include "shell/core/Export.h"
#include "shell/canvas/Canvas.h"
#include "shell/core/Exceptions.h"

/// Raised when no canvas class is registered, or none can be made for a bitmap or window.
class KELVANE_API ECanvasManagerException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ECanvasManagerException"; }
};

/// A canvas implementation: its name, what it supports and how it makes canvases.
struct KELVANE_API TCanvasClass {
  std::string Name;
  TCanvasStyles Style;
  std::function<std::unique_ptr<TCanvas>(TBitmap&, TCanvasQuality)> CreateFromBitmap;
  std::function<std::unique_ptr<TCanvas>(const TWindowBuffer&, TCanvasQuality)> CreateFromWindow;
};

/// TCanvasManager: the registered canvas classes, the one in use, and the canvases made from it
/// for bitmaps and windows.
class KELVANE_API TCanvasManager {
 public:
  /// Adds a class; AClass must outlive its registration. Default marks it as preferred;
  /// Printer as able to print.
  static void RegisterCanvas(const TCanvasClass& AClass, bool ADefault, bool APrinter);
  /// The class in use: the first registered one marked default, else the first registered.
  /// Raises ECanvasManagerException "No TCanvas implementation found" when there is none.
  static const TCanvasClass& DefaultCanvas();
  /// The first class registered as a printer, or none.
  static const TCanvasClass* DefaultPrinter();
  static std::unique_ptr<TCanvas> CreateFromBitmap(TBitmap& ABitmap,
                                                   TCanvasQuality AQuality = TCanvasQuality::SystemDefault);
  static std::unique_ptr<TCanvas> CreateFromWindow(const TWindowBuffer& ABuffer,
                                                   TCanvasQuality AQuality = TCanvasQuality::SystemDefault);

  /// Forgets every class; the next use registers the platform's classes again.
  static void UnInitialize();
  /// What registers the platform's classes on first use: by default the Cairo canvas, as
  /// default and printer. Tests replace it (nullptr: nothing is registered).
  static void SetPlatformRegistration(std::function<void()> Register);
};
