#include "shell/canvas/CanvasManager.h"

#include <vector>

#include "shell/canvas/CanvasCairo.h"

namespace {
struct TRegistered {
  const TCanvasClass* Class;
  bool Default;
  bool Printer;
};

struct TManagerState {
  std::vector<TRegistered> Classes;
  bool Initialized = false;
  std::function<void()> PlatformRegistration = [] { TCanvasManager::RegisterCanvas(CairoCanvasClass(), true, true); };
};

TManagerState& State() {
  static TManagerState S;
  return S;
}

void EnsureInitialized() {
  TManagerState& S = State();
  if (S.Initialized) return;
  S.Initialized = true;
  if (S.PlatformRegistration) S.PlatformRegistration();
}
}  // namespace

void TCanvasManager::RegisterCanvas(const TCanvasClass& AClass, bool ADefault, bool APrinter) {
  State().Classes.push_back({&AClass, ADefault, APrinter});
}

const TCanvasClass& TCanvasManager::DefaultCanvas() {
  EnsureInitialized();
  const auto& Classes = State().Classes;
  for (const TRegistered& R : Classes)
    if (R.Default) return *R.Class;
  if (!Classes.empty()) return *Classes.front().Class;
  throw ECanvasManagerException("No TCanvas implementation found");
}

const TCanvasClass* TCanvasManager::DefaultPrinter() {
  EnsureInitialized();
  for (const TRegistered& R : State().Classes)
    if (R.Printer) return R.Class;
  return nullptr;
}

std::unique_ptr<TCanvas> TCanvasManager::CreateFromBitmap(TBitmap& ABitmap, TCanvasQuality AQuality) {
  return DefaultCanvas().CreateFromBitmap(ABitmap, AQuality);
}

std::unique_ptr<TCanvas> TCanvasManager::CreateFromWindow(const TWindowBuffer& ABuffer, TCanvasQuality AQuality) {
  return DefaultCanvas().CreateFromWindow(ABuffer, AQuality);
}

void TCanvasManager::UnInitialize() {
  State().Classes.clear();
  State().Initialized = false;
}

void TCanvasManager::SetPlatformRegistration(std::function<void()> Register) {
  State().PlatformRegistration = std::move(Register);
}
