#pragma once
// What the style tests share: a root that lays out and paints its controls into a bitmap (as a
// form does into its window), a device behaviour that names a chosen platform, and a fixture
// with the style manager set up as start-up does, the built-in styles in reach.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/InputDispatcher.h"
#include "shell/controls/StyledControl.h"
#include "shell/core/DeviceBehavior.h"
#include "shell/core/PlatformServices.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleLookup.h"
#include "shell/styles/StyleManager.h"

// Plays the form: client area, layout, input, and paints into Surface at its scale.
class TPaintRoot : public TTreeObject, public IRoot, public IAlignRoot {
 public:
  explicit TPaintRoot(float W = 634, float H = 480, float Scale = 1) : TTreeObject(nullptr), Input(this), FClient(W, H) {
    Surface.SetSize(static_cast<int>(std::ceil(W * Scale)), static_cast<int>(std::ceil(H * Scale)));
    Surface.SetBitmapScale(Scale);
  }

  TInputDispatcher Input;
  TBitmap Surface;
  TBounds RootPadding;

  void SetClientSize(float W, float H) {
    FClient = TSizeF(W, H);
    Realign();
  }
  // Takes pending styles, then paints every visible child on a cleared white surface.
  void Paint() {
    for (TTreeObject* Child : ChildList())
      if (auto* C = dynamic_cast<TControl*>(Child)) C->PrepareForPaint();
    TCanvas* C = Surface.Canvas();
    ASSERT_TRUE(C->BeginScene());
    C->Clear(0xFFFFFFFF);
    FPainting = true;
    for (TTreeObject* Child : ChildList())
      if (auto* Control = dynamic_cast<TControl*>(Child)) Control->PaintInternal();
    FPainting = false;
    C->EndScene();
  }
  // The pixel at logical (X, Y).
  TAlphaColor Pixel(float X, float Y) {
    return Surface.Pixel(static_cast<int>(X * Surface.BitmapScale()), static_cast<int>(Y * Surface.BitmapScale()));
  }
  void MouseMove(float X, float Y) { Input.MouseMove({}, X, Y); }
  void MouseDown(float X, float Y) { Input.MouseDown(mbLeft, TShiftState{ssLeft}, X, Y); }
  void MouseUp(float X, float Y) { Input.MouseUp(mbLeft, {}, X, Y); }

  // IRoot
  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return FPainting ? Surface.Canvas() : nullptr; }
  float GetSceneScale() override { return Surface.BitmapScale(); }
  void AddUpdateRect(const TRectF&) override {}
  TControl* GetFocused() override { return Input.Focused(); }
  void SetFocused(TControl* Value) override { Input.SetFocused(Value); }
  TControl* GetCaptured() override { return Input.Captured(); }
  void SetCaptured(TControl* Value) override { Input.SetCaptured(Value); }
  bool ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) override {
    return Input.ReleaseEndsCapture(Button, Shift);
  }
  TControl* GetHovered() override { return Input.Hovered(); }
  TPointF GetMousePos() override { return Input.MousePos(); }
  void ControlRemoved(TControl* Control) override { Input.ControlRemoved(Control); }

  // IAlignRoot
  void Realign() override {
    AlignObjects(this, &RootPadding, FClient.Width, FClient.Height, FLastWidth, FLastHeight, FDisableAlign);
  }
  void ChildrenAlignChanged() override {}
  TSizeF GetAlignParentSize() const override { return FClient; }

 private:
  TSizeF FClient;
  float FLastWidth = 0, FLastHeight = 0;
  bool FDisableAlign = false;
  bool FPainting = false;
};

using TPaintRootPtr = std::unique_ptr<TPaintRoot, TComponentDeleter>;

// Names one platform for every control.
class TFakeDeviceBehavior : public IDeviceBehavior {
 public:
  TOSPlatform Platform = TOSPlatform::Linux;
  TComponent* LastContext = nullptr;
  TOSPlatform GetOSPlatform(TComponent* Context) override {
    LastContext = Context;
    return Platform;
  }
};

// The style manager as start-up leaves it (Windows resources with their selection rule,
// "win10style" for Linux), a device behaviour naming Linux, and the style lookup of styled
// controls; all of it undone afterwards.
class StylesTest : public ::testing::Test {
 protected:
  TFakeDeviceBehavior Behavior;

  void SetUp() override {
    RegisterStyleClasses();
    TStyleManager::UnInitialize();
    TPlatformServices::Current().AddPlatformService(IDeviceBehavior::ServiceName(),
                                                    static_cast<IDeviceBehavior*>(&Behavior));
    for (const char* Name : {"win7style", "win8style", "win10style"})
      TStyleManager::RegisterPlatformStyleResource(TOSPlatform::Windows, Name);
    TStyleManager::RegisterPlatformStyleSelection(TOSPlatform::Windows, [this] { return WindowsStyle; });
    TStyleManager::RegisterPlatformStyleResource(TOSPlatform::Linux, "win10style");
    InstallStyleLookup();
  }
  void TearDown() override {
    TStyledControl::SetStyleLookupProc(nullptr);
    TStyleManager::UnInitialize();
    TPlatformServices::Current().RemovePlatformService(IDeviceBehavior::ServiceName());
  }

  // What the Windows selection procedure answers.
  std::string WindowsStyle = "win10style";
};
