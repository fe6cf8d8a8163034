#pragma once
#include "shell/core/Export.h"
#include "shell/app/Services.h"
#include "shell/core/Persistent.h"

enum class TDeviceKind { Desktop, iPhone, iPad };
using TDeviceKinds = TSet<TDeviceKind>;

/// TFormFactor: the design-time device record of a form (size, orientations, devices), and the
/// application's form factor, whose orientations go to the screen service.
class KELVANE_API TFormFactor : public TPersistent {
  KLV_CLASS(TFormFactor)
 public:
  TFormFactor() = default;

  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value) { FWidth = Value; }
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t Value) { FHeight = Value; }
  TScreenOrientations Orientations() const { return FOrientations; }
  virtual void SetOrientations(TScreenOrientations Value) { FOrientations = Value; }
  TDeviceKinds Devices() const { return FDevices; }
  void SetDevices(TDeviceKinds Value) { FDevices = Value; }

  void Assign(TPersistent* Source) override;

 protected:
  int32_t FWidth = 320;
  int32_t FHeight = 480;
  TScreenOrientations FOrientations;
  TDeviceKinds FDevices;
};

/// The application's form factor: its orientations are passed on to the screen service.
class KELVANE_API TApplicationFormFactor : public TFormFactor {
  KLV_CLASS(TApplicationFormFactor)
 public:
  TApplicationFormFactor();
  void SetOrientations(TScreenOrientations Value) override;
};

namespace TypeInfos {
KELVANE_API const TTypeInfo& ScreenOrientations();
KELVANE_API const TTypeInfo& DeviceKinds();
}  // namespace TypeInfos
