#pragma once
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/context/Context3D.h"
#include "scene3d/context/GLDevice.h"

class TTexture;

/// Use an OpenGL device at all; false leaves only the null context.
extern KELVANE_API bool GlobalUseGPU;
/// Skip hardware devices and use the software renderer.
extern KELVANE_API bool GlobalUseSoftwareDevice;

/// A forced choice (the headless tool's --device option), or Auto for the order above.
enum class TDeviceChoice { Auto, GPU, Software, Null };

/// TContextManager: chooses the 3D device once per process and makes the drawing contexts of
/// the viewports on it. The automatic order is a hardware EGL device, Mesa's software EGL
/// device, Mesa's surfaceless platform, then the null context that draws nothing.
class KELVANE_API TContextManager {
 public:
  /// A context of the chosen class drawing into Texture. The first call chooses (and, for the
  /// GL class, makes) the device. A forced GPU or software device that cannot be made raises
  /// ECannotCreateD3DDevice "Cannot create Direct3D device for 'TGLContext'."; the next call
  /// tries again.
  static std::unique_ptr<TContext3D> CreateContextFromTexture(TTexture* Texture, TMultisample Multisample,
                                                              bool DepthStencil);
  /// Starts making the device that the current choice and switches lead to on a worker thread,
  /// so that it is ready by the time the first viewport needs it; the choice itself still
  /// happens at that first need. Does nothing when no GL device is wanted or one exists.
  static void PrepareDeviceInBackground();
  /// Whether the automatic choice would now wait for the device being made in the background:
  /// a viewport can meanwhile do what needs no device (paint its layers' surfaces) and make its
  /// context later. Asking does not wait.
  static bool DevicePending();
  /// Cuts the preparation short and waits for the worker; a program calls it before it ends.
  static void EndDevicePreparation();
  /// Whether the worker is still making the device (inside the driver); asking does not wait.
  static bool DevicePreparationBusy();
  /// "TGLContext" or "TNullContext", choosing the device if that has not happened yet.
  static std::string DefaultContextClass();
  /// GL_RENDERER of the device in use, or "" with the null context.
  static std::string DeviceRenderer();

  /// When the automatic choice found no device: "no 3D device, the view stays empty: " and,
  /// for each device tried, its name and why it failed; also written to standard error as one
  /// line when the choice is made. Empty otherwise.
  static const std::string& DeviceFailures();

  static TDeviceChoice DeviceChoice();
  /// Takes effect for contexts made afterwards; the device made before stays the process's.
  static void SetDeviceChoice(TDeviceChoice Value);
  /// "gpu", "software", "null" (and "auto"), without regard to case; false for anything else.
  static bool ParseDeviceChoice(const std::string& Name, TDeviceChoice& Choice);

  /// The GL devices to try, in order, for a choice and the two switches.
  static std::vector<TGLDeviceKind> DeviceOrder(TDeviceChoice Choice, bool UseGPU, bool UseSoftwareDevice);
};
