#include "scene3d/context/ContextManager.h"

#include <cerrno>
#include <cstdio>

#include "scene3d/context/GLContext.h"
#include "scene3d/context/NullContext.h"
#include "shell/core/TypeInfo.h"

bool GlobalUseGPU = true;
bool GlobalUseSoftwareDevice = false;

namespace {
TDeviceChoice GChoice = TDeviceChoice::Auto;

// The outcome of the choice: whether contexts are GL ones and on which device kind.
struct TResolved {
  bool Done = false;
  bool UseGL = false;
  TGLDeviceKind Kind = TGLDeviceKind::Software;
} GResolved;
std::string GFailures;

void Resolve() {
  if (GResolved.Done) return;
  const std::vector<TGLDeviceKind> Order =
      TContextManager::DeviceOrder(GChoice, GlobalUseGPU, GlobalUseSoftwareDevice);
  TResolved R;
  R.Done = true;
  if (GChoice == TDeviceChoice::GPU || GChoice == TDeviceChoice::Software) {
    // A forced device is not replaced by another: if it cannot be made, making the context
    // says so.
    R.UseGL = true;
    R.Kind = Order.front();
  } else {
    std::string Failures;
    for (TGLDeviceKind Kind : Order) {
      std::string Why;
      if (TGLDevice::TryCreate(Kind, &Why)) {
        R.UseGL = true;
        R.Kind = Kind;
        break;
      }
      Failures += (Failures.empty() ? "" : "; ") + std::string(GLDeviceKindName(Kind)) + ": " + Why;
    }
    // The view stays empty without a device; the player (or whoever reads the session's log)
    // learns why, once.
    if (!R.UseGL && !Order.empty()) {
      GFailures = "no 3D device, the view stays empty: " + Failures;
      std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, GFailures.c_str());
      std::fflush(stderr);
    }
  }
  GResolved = R;
}
}  // namespace

std::vector<TGLDeviceKind> TContextManager::DeviceOrder(TDeviceChoice Choice, bool UseGPU, bool UseSoftwareDevice) {
  switch (Choice) {
    case TDeviceChoice::GPU: return {TGLDeviceKind::Hardware};
    case TDeviceChoice::Software: return {TGLDeviceKind::Software};
    case TDeviceChoice::Null: return {};
    case TDeviceChoice::Auto: break;
  }
  if (!UseGPU) return {};
  if (UseSoftwareDevice) return {TGLDeviceKind::Software, TGLDeviceKind::Surfaceless};
  return {TGLDeviceKind::Hardware, TGLDeviceKind::Software, TGLDeviceKind::Surfaceless};
}

std::unique_ptr<TContext3D> TContextManager::CreateContextFromTexture(TTexture* Texture, TMultisample Multisample,
                                                                      bool DepthStencil) {
  Resolve();
  if (!GResolved.UseGL) return std::make_unique<TNullContext>(Texture, Multisample, DepthStencil);
  TGLDevice& Device = TGLDevice::Acquire(GResolved.Kind, TGLContext::ClassName());
  return std::make_unique<TGLContext>(Device, Texture, Multisample, DepthStencil);
}

void TContextManager::PrepareDeviceInBackground() {
  if (GResolved.Done) return;
  TGLDevice::OpenInBackground(DeviceOrder(GChoice, GlobalUseGPU, GlobalUseSoftwareDevice));
}

bool TContextManager::DevicePending() {
  // A forced device is not deferred: whether it can be made is reported where the context is
  // asked for.
  return !GResolved.Done && GChoice == TDeviceChoice::Auto && TGLDevice::OpeningInBackground();
}

void TContextManager::EndDevicePreparation() { TGLDevice::EndBackgroundOpen(); }

bool TContextManager::DevicePreparationBusy() { return TGLDevice::BackgroundOpenBusy(); }

std::string TContextManager::DefaultContextClass() {
  Resolve();
  return GResolved.UseGL ? TGLContext::ClassName() : TNullContext::ClassName();
}

std::string TContextManager::DeviceRenderer() {
  Resolve();
  TGLDevice* Device = TGLDevice::Instance();
  return GResolved.UseGL && Device ? Device->Renderer() : "";
}

TDeviceChoice TContextManager::DeviceChoice() { return GChoice; }

void TContextManager::SetDeviceChoice(TDeviceChoice Value) {
  GChoice = Value;
  GResolved = TResolved{};
  GFailures.clear();
}

const std::string& TContextManager::DeviceFailures() { return GFailures; }

bool TContextManager::ParseDeviceChoice(const std::string& Name, TDeviceChoice& Choice) {
  static const struct {
    const char* Name;
    TDeviceChoice Choice;
  } Names[] = {{"auto", TDeviceChoice::Auto}, {"gpu", TDeviceChoice::GPU}, {"software", TDeviceChoice::Software},
               {"null", TDeviceChoice::Null}};
  for (const auto& N : Names)
    if (SameText(Name, N.Name)) {
      Choice = N.Choice;
      return true;
    }
  return false;
}
