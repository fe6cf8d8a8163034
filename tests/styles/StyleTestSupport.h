#pragma once
// What the style tests share: a root that lays out and paints its controls into a bitmap (as a
// form does into its window), a device behaviour that names a chosen platform, and a fixture
// with the style manager set up as start-up does, the built-in styles in reach.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/StyledControl.h"
#include "shell/core/DeviceBehavior.h"
#include "shell/core/PlatformServices.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleLookup.h"
#include "shell/styles/StyleManager.h"
#include "tests/controls/TestRoot.h"

// Plays the form as TTestRoot does, and paints into Surface at its scale.
class TPaintRoot : public TTestRoot {
 public:
  explicit TPaintRoot(float W = 634, float H = 480, float Scale = 1) : TTestRoot(W, H) {
    Surface.SetSize(static_cast<int>(std::ceil(W * Scale)), static_cast<int>(std::ceil(H * Scale)));
    Surface.SetBitmapScale(Scale);
  }

  TBitmap Surface;

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
  void MouseMove(float X, float Y) { FInput.MouseMove({}, X, Y); }
  void MouseDown(float X, float Y) { FInput.MouseDown(mbLeft, TShiftState{ssLeft}, X, Y); }
  void MouseUp(float X, float Y) { FInput.MouseUp(mbLeft, {}, X, Y); }

  TCanvas* GetCanvas() override { return FPainting ? Surface.Canvas() : nullptr; }
  float GetSceneScale() override { return Surface.BitmapScale(); }

 private:
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
