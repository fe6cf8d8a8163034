#include "shell/platform/headless/HeadlessPlatform.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <utility>

#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/core/ScopeExit.h"

namespace {
std::string NumberText(double V) {
  char Buffer[64];
  auto [End, Ec] = std::to_chars(Buffer, Buffer + sizeof Buffer, V);
  return std::string(Buffer, End);
}

std::string StepTooLong(double Ms, double Limit) {
  return Format("Time step too long: in %s ms the timers would fall due more than %s times",
                {NumberText(Ms), std::to_string(static_cast<long long>(Limit))});
}
}  // namespace

THeadlessBackend::THeadlessBackend(THeadlessOptions Options) : FOptions(std::move(Options)) {}

void THeadlessBackend::Wait(double Deadline) {
  if (FTarget > FNow) {
    FNow = std::min(Deadline, FTarget);
    // Timers started by the step's own handlers can make it longer than Advance foresaw.
    if (FNow < FTarget && ++FStepTicks > FOptions.StepTickLimit) {
      FStepError = StepTooLong(FStepMs, FOptions.StepTickLimit);
      FTarget = FNow;
    }
    return;
  }
  FInWait = true;
  TScopeExit EndWait([this] { FInWait = false; });
  if (FDriver) {
    FDriver();
    return;
  }
  // Nothing will ever happen again: the program ends as when its window is closed.
  if (Application) Application->Terminate();
}

void THeadlessBackend::Advance(double Ms) {
  if (!std::isfinite(Ms) || Ms < 0) throw Exception(Format("Invalid time: %s", {NumberText(Ms)}));
  // Each running timer falls due once an interval; a step that would take more such moments
  // than the limit would not end in any reasonable time.
  double Ticks = 0;
  for (const TWin32TimerInfo& R : FPlatform->TimerData())
    if (const int32_t Interval = FPlatform->TimerInterval(R.TimerID); Interval > 0) Ticks += std::floor(Ms / Interval);
  if (Ticks > FOptions.StepTickLimit) throw Exception(StepTooLong(Ms, FOptions.StepTickLimit));
  FTarget = std::max(FTarget, FNow) + Ms;
  FStepMs = Ms;
  FStepTicks = 0;
  FStepError.clear();
  if (!FInWait) RunUntilTarget();
}

std::string THeadlessBackend::TakeStepError() { return std::exchange(FStepError, {}); }

void THeadlessBackend::RunUntilTarget() {
  while (!(Application && Application->Terminated())) {
    if (FNow >= FTarget && !FPlatform->HasMessage()) break;
    if (Application)
      Application->HandleMessage();
    else if (!FPlatform->HandleMessage())
      FPlatform->WaitMessage();
  }
  if (!FStepError.empty()) throw Exception(TakeStepError());
}

bool THeadlessBackend::ShowErrorBox(const std::string& Text) {
  if (!FOptions.ErrorBoxesShown) return false;
  FErrorBoxes.push_back(Text);
  if (FOptions.PrintErrorBoxes) {
    std::printf("error box: %s\n", Text.c_str());
    std::fflush(stdout);
  }
  return true;
}

void THeadlessBackend::CreateNativeWindow(TPlatformWindow& Window) {
  Window.SetScale(FOptions.Scale);
  Window.SetFrame(FOptions.Frame);
  Window.SetBounds(FOptions.DefaultWindow);
}

TWindowBuffer THeadlessBackend::WindowBuffer(TPlatformWindow& Window) {
  THeadlessSurface& S = FSurfaces[&Window];
  const int W = std::max(0, Window.ClientWidth()), H = std::max(0, Window.ClientHeight());
  if (S.Width != W || S.Height != H) {
    // A new size starts from nothing, as a window system's new surface does.
    S.Width = W;
    S.Height = H;
    S.Pixels.assign(static_cast<size_t>(W) * static_cast<size_t>(H), 0);
  }
  TWindowBuffer B;
  B.Data = reinterpret_cast<uint8_t*>(S.Pixels.data());
  B.Width = W;
  B.Height = H;
  B.Stride = W * 4;
  B.Scale = Window.Scale();
  B.Present = [&S](const std::vector<TRectF>& Rects) {
    S.LastPresent.assign(Rects.begin(), Rects.end());
    ++S.PresentCount;
  };
  return B;
}

bool THeadlessBackend::PresentedPixels(TPlatformWindow& Window, TPresentedPixels& Out) {
  const THeadlessSurface* S = Surface(Window);
  if (!S || S->Pixels.empty()) return false;
  Out = {S->Pixels.data(), S->Width, S->Height, static_cast<size_t>(S->Width)};
  return true;
}

const THeadlessSurface* THeadlessBackend::Surface(const TPlatformWindow& Window) const {
  auto It = FSurfaces.find(&Window);
  return It == FSurfaces.end() ? nullptr : &It->second;
}

void THeadlessBackend::Resize(TPlatformWindow& Window, int32_t Width, int32_t Height) {
  // Any int is a size a script may ask for; the window corrects it, and the sum stays in range.
  Width = std::clamp(Width, 0, TPlatformWindow::MaxPosition);
  Height = std::clamp(Height, 0, TPlatformWindow::MaxPosition);
  FPlatform->PostWindowMessage(Window, [this, Width, Height](TPlatformWindow& W) {
    const TFrameExtents& F = W.Frame();
    const TPhysicalRect& Old = W.Bounds();
    const TPhysicalRect New{Old.Left, Old.Top, Old.Left + F.Left + Width + F.Right, Old.Top + F.Top + Height + F.Bottom};
    FPlatform->WindowPosChanged(W, New, W.Form()->WindowState());
  });
}

void THeadlessBackend::Close(TPlatformWindow& Window) { FPlatform->PostCloseMessage(Window); }

void THeadlessBackend::ChangeScale(TPlatformWindow& Window, float Scale) {
  FPlatform->PostWindowMessage(Window, [this, Scale](TPlatformWindow& W) { FPlatform->WindowScaleChanged(W, Scale); });
}

TSizeF THeadlessBackend::ScreenSize() {
  return {static_cast<float>(FOptions.ScreenWidth) / FOptions.Scale,
          static_cast<float>(FOptions.ScreenHeight) / FOptions.Scale};
}

TRectF THeadlessBackend::WorkArea() {
  TSizeF S = ScreenSize();
  return {0, 0, S.Width, S.Height};
}

std::vector<TTimerRecordInfo> THeadlessBackend::TimerRecords() const {
  std::vector<TTimerRecordInfo> Records;
  for (const TWin32TimerInfo& R : FPlatform->TimerData())
    Records.push_back({R.TimerHandle, FPlatform->TimerInterval(R.TimerID), R.TimerFunc.Data()});
  return Records;
}

THeadlessBackend& InstallHeadlessPlatform(THeadlessOptions Options) {
  // Lives until the process ends: the application and its forms may be freed at exit by code
  // that still needs the services.
  static TPlatform* Platform = new TPlatform(std::make_unique<THeadlessBackend>(std::move(Options)));
  return static_cast<THeadlessBackend&>(Platform->Backend());
}
