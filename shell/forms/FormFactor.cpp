#include "shell/forms/FormFactor.h"

#include "shell/core/PlatformServices.h"

namespace TypeInfos {
const TTypeInfo& ScreenOrientations() {
  static const TTypeInfo T = MakeNamedType("TFormOrientations", TTypeKind::Set, {"Portrait", "Landscape", "InvertedPortrait", "InvertedLandscape"});
  return T;
}
const TTypeInfo& DeviceKinds() {
  static const TTypeInfo T = MakeNamedType("TDeviceKinds", TTypeKind::Set, {"Desktop", "iPhone", "iPad"});
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TFormFactor::StaticClass() {
  return ClassRecord<TFormFactor>("TFormFactor", &TPersistent::StaticClass(), [](auto& B) {
    // Width, Height and Devices have no default: a stored form always records them.
    B.Property("Width", &TFormFactor::Width, &TFormFactor::SetWidth);
    B.Property("Height", &TFormFactor::Height, &TFormFactor::SetHeight);
    B.Property("Orientations", &TFormFactor::Orientations, &TFormFactor::SetOrientations,
               &TypeInfos::ScreenOrientations())
        .Default(TScreenOrientations{});
    B.Property("Devices", &TFormFactor::Devices, &TFormFactor::SetDevices, &TypeInfos::DeviceKinds());
  });
}

void TFormFactor::Assign(TPersistent* Source) {
  if (auto* F = dynamic_cast<TFormFactor*>(Source)) {
    FWidth = F->FWidth;
    FHeight = F->FHeight;
    SetOrientations(F->FOrientations);
    FDevices = F->FDevices;
    return;
  }
  TPersistent::Assign(Source);
}

const TMetaClass& TApplicationFormFactor::StaticClass() {
  return ClassRecord<TApplicationFormFactor>("TApplicationFormFactor", &TFormFactor::StaticClass(), [](auto&) {});
}

TApplicationFormFactor::TApplicationFormFactor() {
  FOrientations = {TScreenOrientation::Portrait, TScreenOrientation::Landscape};
  FDevices = {TDeviceKind::Desktop, TDeviceKind::iPhone, TDeviceKind::iPad};
}

void TApplicationFormFactor::SetOrientations(TScreenOrientations Value) {
  FOrientations = Value;
  if (auto* Screen = TPlatformServices::Current().Find<IScreenService>()) Screen->SetScreenOrientation(Value);
}
