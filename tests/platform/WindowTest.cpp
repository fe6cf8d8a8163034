// Windows on the headless back end: the paint bookkeeping, the scale rules, what the user does
// to a window (resize, close, another monitor) and the application's title.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "shell/app/Application.h"
#include "shell/controls/Control.h"
#include "shell/core/Messaging.h"
#include "shell/forms/FormMessages.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"

void PrintTo(const TRectF& R, std::ostream* Out) {
  *Out << "(" << R.Left << ", " << R.Top << ", " << R.Right << ", " << R.Bottom << ")";
}

namespace {

constexpr uint32_t Red = 0xFFFF0000;

// A form that counts its paints and the rectangles of each.
class TCountingForm : public TForm {
 public:
  TCountingForm() : TForm(nullptr, TCreateNew{}) {}
  std::vector<std::vector<TRectF>> Paints;
  void PaintRects(const std::vector<TRectF>& Rects) override {
    Paints.push_back(Rects);
    TForm::PaintRects(Rects);
  }
};

class Windows : public ::testing::Test {
 protected:
  void Start(float Scale = 1, TFrameExtents Frame = {}) {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    O.Scale = Scale;
    O.Frame = Frame;
    auto B = std::make_unique<THeadlessBackend>(O);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
  }
  // A form of client size 634 × 480 with a red background.
  TCountingForm* MakeForm() {
    auto* F = new TCountingForm;
    F->AfterConstruction();
    F->SetClientHeight(480);
    F->SetClientWidth(634);
    F->Fill()->SetKind(TBrushKind::Solid);
    F->Fill()->SetColor(Red);
    Forms.push_back(F);
    return F;
  }
  // A control filling the form's client area, laid out and shown at 634 wide.
  TControl* ShowWithClientView(TCountingForm* F) {
    auto* View = new TControl(F);
    View->SetParent(F);
    View->SetAlign(TAlignLayout::Client);
    F->Realign();
    F->Show();
    Drain();
    return View;
  }
  TPlatformWindow& WindowOf(TCommonCustomForm* F) { return *Platform->FindWindow(F); }
  const THeadlessSurface& SurfaceOf(TCommonCustomForm* F) { return *Headless->Surface(WindowOf(F)); }
  // Handles every message of the current moment.
  void Drain() {
    while (Platform->HandleMessage()) {
    }
  }
  void TearDown() override {
    for (TCommonCustomForm* F : Forms) F->Free();
    Forms.clear();
    Platform.reset();
  }

  THeadlessBackend* Headless = nullptr;
  std::unique_ptr<TPlatform> Platform;
  std::vector<TCommonCustomForm*> Forms;
};

TEST_F(Windows, OnlyTheInvalidRectanglesArePaintedAndPresented) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  ASSERT_EQ(F->Paints, std::vector<std::vector<TRectF>>{{TRectF(0, 0, 634, 480)}}) << "a shown window is painted whole";
  const THeadlessSurface& S = SurfaceOf(F);
  EXPECT_EQ(S.Pixels[0], Red);
  F->InvalidateRect(TRectF(10, 10, 20, 20));
  F->InvalidateRect(TRectF(100, 200, 110, 250));
  Drain();
  ASSERT_EQ(F->Paints.size(), 2u);
  EXPECT_EQ(F->Paints[1], (std::vector<TRectF>{TRectF(10, 10, 20, 20), TRectF(100, 200, 110, 250)}));
  EXPECT_EQ(S.LastPresent, F->Paints[1]);
  EXPECT_EQ(S.PresentCount, 2u);
}

TEST_F(Windows, ManyInvalidationsBetweenTwoPaintsCostOnePaint) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  F->Paints.clear();
  // A viewport asking for a frame again and again, and parts inside what already waits.
  for (int I = 0; I < 100; ++I) F->InvalidateRect(TRectF(0, 0, 634, 440));
  F->InvalidateRect(TRectF(5, 5, 50, 50));
  Drain();
  EXPECT_EQ(F->Paints, std::vector<std::vector<TRectF>>{{TRectF(0, 0, 634, 440)}});
  // A rectangle that covers waiting ones takes their place.
  F->InvalidateRect(TRectF(5, 5, 50, 50));
  F->InvalidateRect(TRectF(300, 300, 310, 310));
  F->InvalidateRect(TRectF(0, 0, 100, 100));
  Drain();
  ASSERT_EQ(F->Paints.size(), 2u);
  EXPECT_EQ(F->Paints[1], (std::vector<TRectF>{TRectF(300, 300, 310, 310), TRectF(0, 0, 100, 100)}));
  EXPECT_FALSE(Platform->HasMessage());
}

TEST_F(Windows, AHiddenWindowWaitsWithItsPaintUntilItIsShown) {
  Start();
  TCountingForm* F = MakeForm();
  F->InvalidateRect(TRectF(0, 0, 10, 10));
  Drain();
  EXPECT_TRUE(F->Paints.empty());
  EXPECT_EQ(Headless->Surface(WindowOf(F)), nullptr);
  F->Show();
  Drain();
  EXPECT_EQ(F->Paints.size(), 1u);
}

// Minimised, or taken off the screen by the system: the window is neither painted nor
// presented, however often the scene asks; timers tick on; coming back paints once, whole.
TEST_F(Windows, AMinimisedOrUnmappedWindowPaintsNothingUntilItIsBack) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  struct TCase {
    const char* Name;
    std::function<void(TPlatformWindow&)> Away, Back;
  };
  const TCase Cases[] = {
      {"minimised", [this](TPlatformWindow& W) { Platform->WindowPosChanged(W, W.Bounds(), wsMinimized); },
       [this](TPlatformWindow& W) { Platform->WindowPosChanged(W, W.Bounds(), wsNormal); }},
      {"unmapped", [this](TPlatformWindow& W) { Platform->WindowMapped(W, false); },
       [this](TPlatformWindow& W) { Platform->WindowMapped(W, true); }},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    F->Paints.clear();
    const uint64_t Presents = SurfaceOf(F).PresentCount;
    int Ticks = 0;
    struct TTick : TObject {
      int* Count;
      void Tick() { ++*Count; }
    } Tick;
    Tick.Count = &Ticks;
    const uintptr_t Timer = Platform->CreateTimer(50, TTimerProc(&Tick, &TTick::Tick));
    Platform->PostWindowMessage(WindowOf(F), C.Away);
    Drain();
    for (int I = 0; I < 10; ++I) {
      F->InvalidateRect(TRectF(0, 0, 634, 440));
      Headless->Advance(50);
    }
    EXPECT_GE(Ticks, 9);
    EXPECT_TRUE(F->Paints.empty());
    EXPECT_EQ(SurfaceOf(F).PresentCount, Presents);
    EXPECT_FALSE(Platform->HasMessage()) << "the loop can wait";
    Platform->PostWindowMessage(WindowOf(F), C.Back);
    Drain();
    EXPECT_EQ(F->Paints, std::vector<std::vector<TRectF>>{{TRectF(0, 0, 634, 480)}});
    EXPECT_EQ(SurfaceOf(F).PresentCount, Presents + 1);
    Platform->DestroyTimer(Timer);
  }
}

// Client size 634 × 480 logical at the scales of common monitors: the physical size is the
// logical one times the scale, rounded up; the form counts whole logical pixels; showing and
// moving the window keep its size.
TEST_F(Windows, TheClientAreaIsTheLogicalSizeTimesTheScaleRoundedUp) {
  struct TCase {
    float Scale;
    int Width, Height;
  };
  const TCase Cases[] = {{1, 634, 480}, {1.25f, 793, 600}, {1.5f, 951, 720}, {1.75f, 1110, 840}, {2, 1268, 960}};
  for (const TCase& C : Cases) {
    Start(C.Scale);
    TCountingForm* F = MakeForm();
    TPlatformWindow& W = WindowOf(F);
    EXPECT_EQ(W.ClientWidth(), C.Width) << C.Scale;
    EXPECT_EQ(W.ClientHeight(), C.Height) << C.Scale;
    EXPECT_EQ(F->ClientWidth(), 634) << C.Scale;
    EXPECT_EQ(F->ClientHeight(), 480) << C.Scale;
    EXPECT_FLOAT_EQ(W.LogicalClientSize().Width, static_cast<float>(C.Width) / C.Scale);
    F->Show();
    F->SetLeft(F->Left() + 1);
    EXPECT_EQ(W.ClientWidth(), C.Width) << "shown and moved, at " << C.Scale;
    EXPECT_EQ(W.ClientHeight(), C.Height) << "shown and moved, at " << C.Scale;
    Drain();
    EXPECT_EQ(SurfaceOf(F).Width, C.Width);
    EXPECT_EQ(SurfaceOf(F).Height, C.Height);
    TearDown();
  }
}

TEST_F(Windows, SettingOneSideKeepsThePhysicalLengthOfTheOther) {
  // At 110 % a user's 697 pixels are 633.636… logical; setting the height must not turn
  // them into Ceil(633.636… × 1.1) = 698 by a rounding error.
  Start(1.1f);
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  Headless->Resize(WindowOf(F), 697, 500);
  Drain();
  ASSERT_EQ(WindowOf(F).ClientWidth(), 697);
  F->SetClientHeight(400);
  EXPECT_EQ(WindowOf(F).ClientWidth(), 697);
  EXPECT_EQ(WindowOf(F).ClientHeight(), 440);
}

TEST_F(Windows, AUsersResizeLaysTheFormOutAgainAndRepaintsItWholeBeforeTheNextTick) {
  Start(2);
  TCountingForm* F = MakeForm();
  TControl* View = ShowWithClientView(F);
  ASSERT_EQ(View->Width(), 634);
  struct TTick : TObject {
    TCountingForm* Form;
    std::vector<size_t> PaintsSeen;
    void Tick() { PaintsSeen.push_back(Form->Paints.size()); }
  } Tick;
  Tick.Form = F;
  Platform->CreateTimer(100, TTimerProc(&Tick, &TTick::Tick));
  F->Paints.clear();
  Headless->Spend(100);  // the tick is due
  Headless->Resize(WindowOf(F), 1000, 800);
  Drain();
  EXPECT_EQ(F->ClientWidth(), 500);
  EXPECT_EQ(F->ClientHeight(), 400);
  EXPECT_EQ(View->Width(), 500);
  EXPECT_EQ(View->Height(), 400);
  EXPECT_EQ(F->Paints, std::vector<std::vector<TRectF>>{{TRectF(0, 0, 500, 400)}});
  EXPECT_EQ(Tick.PaintsSeen, std::vector<size_t>{1}) << "the paint comes before the tick";
  EXPECT_EQ(SurfaceOf(F).Width, 1000);
  EXPECT_EQ(SurfaceOf(F).Height, 800);
}

// At 150 % under a frame of two pixels in all, a client area 950 or 951 pixels wide is 633 or
// 634 logical pixels wide, while the outer width rounds to 635 logical pixels both times.
TEST_F(Windows, TheLayoutFollowsEveryChangeOfTheClientSize) {
  Start(1.5f, {1, 20, 1, 1});
  TCountingForm* F = MakeForm();
  TControl* View = ShowWithClientView(F);
  ASSERT_EQ(View->Width(), 634);
  for (int32_t Physical : {950, 951, 950}) {
    const int32_t Outer = F->Width();
    Headless->Resize(WindowOf(F), Physical, 720);
    Drain();
    const float Logical = std::nearbyint(static_cast<float>(Physical) / 1.5f);
    EXPECT_EQ(F->Width(), Outer) << "the outer size, rounded, stays";
    EXPECT_EQ(F->ClientWidth(), Logical);
    EXPECT_EQ(View->Width(), Logical) << "client area " << Physical << " pixels wide";
  }
}

TEST_F(Windows, AnotherMonitorsScaleKeepsTheLogicalClientSize) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  std::vector<float> Heard;
  const int64_t Id = TMessageManager::DefaultManager().SubscribeToMessage<TScaleChangedMessage>(
      [&](TObject* Sender, const TMessageBase& M) {
        if (Sender == F) Heard.push_back(static_cast<const TScaleChangedMessage&>(M).Scale);
      });
  Headless->ChangeScale(WindowOf(F), 1.00005f);  // within 0.0001: no change
  Drain();
  EXPECT_EQ(WindowOf(F).Scale(), 1);
  F->Paints.clear();
  Headless->ChangeScale(WindowOf(F), 1.5f);
  Drain();
  TMessageManager::DefaultManager().Unsubscribe<TScaleChangedMessage>(Id);
  EXPECT_EQ(Heard, std::vector<float>{1.5f});
  EXPECT_EQ(WindowOf(F).ClientWidth(), 951);
  EXPECT_EQ(WindowOf(F).ClientHeight(), 720);
  EXPECT_EQ(F->ClientWidth(), 634);
  EXPECT_EQ(F->ClientHeight(), 480);
  EXPECT_EQ(F->Paints, std::vector<std::vector<TRectF>>{{TRectF(0, 0, 634, 480)}});
  EXPECT_EQ(SurfaceOf(F).Width, 951);
  EXPECT_EQ(F->Canvas()->Scale(), 1.5f);
}

// Whatever scales the window passes through, it keeps the logical client size it was asked
// for: each scale's physical size is made from that, not from the last one's rounded size.
TEST_F(Windows, AnySequenceOfScalesKeepsTheLogicalClientSizeAskedFor) {
  struct TCase {
    const char* Name;
    float Start;
    std::vector<float> Scales;
    int Width, Height;  // physical, at the last scale
  };
  const TCase Cases[] = {
      {"three round trips from 1.25", 1.25f, {1.5f, 1.25f, 1.5f, 1.25f, 1.5f, 1.25f, 1}, 634, 480},
      {"1.25 and back", 1, {1.25f, 1}, 634, 480},
      {"fractional scales", 1.1f, {1.75f, 2.5f, 1.33f, 0.8f, 1.2f, 1}, 634, 480},
      {"ending at 1.5", 1, {1.25f, 1.75f, 1.1f, 1.5f}, 951, 720},
      // Beyond the bitmap limit and below a pixel a logical pixel: corrected there, not after.
      {"100 and back", 1, {100, 1}, 634, 480},
      {"0.01 and back", 1, {0.01f, 1}, 634, 480},
      {"0.01, 100, 1.25", 1, {0.01f, 100, 0.5f, 1.25f}, 793, 600},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    Start(C.Start);
    // Not shown: a paint at scale 100 would fill a bitmap of 128 MB for nothing.
    TCountingForm* F = MakeForm();
    for (float Scale : C.Scales) {
      Headless->ChangeScale(WindowOf(F), Scale);
      Drain();
      EXPECT_EQ(WindowOf(F).ClientSizeAsked(), TSizeF(634, 480)) << "at " << Scale;
    }
    EXPECT_EQ(WindowOf(F).ClientWidth(), C.Width);
    EXPECT_EQ(WindowOf(F).ClientHeight(), C.Height);
    EXPECT_EQ(F->ClientWidth(), std::nearbyint(C.Width / C.Scales.back()));
    TearDown();
  }
}

// A size the system cannot give is corrected while it cannot; a size the user gives the window
// becomes the one the form keeps through later scales.
TEST_F(Windows, TheSizeAskedForIsCorrectedOnlyWhileTheSystemCannotGiveIt) {
  Start();
  TCountingForm* F = MakeForm();
  Headless->ChangeScale(WindowOf(F), 100);
  Drain();
  // 63400 pixels wide is beyond a bitmap's side; the width, then the most height that fits.
  EXPECT_EQ(WindowOf(F).ClientWidth(), 16384);
  EXPECT_EQ(WindowOf(F).ClientHeight(), 2048);
  EXPECT_EQ(F->ClientWidth(), 164);
  EXPECT_EQ(WindowOf(F).ClientSizeAsked(), TSizeF(634, 480));
  Headless->ChangeScale(WindowOf(F), 1.25f);
  Drain();
  Headless->Resize(WindowOf(F), 1000, 750);
  Drain();
  EXPECT_EQ(F->ClientWidth(), 800);
  Headless->ChangeScale(WindowOf(F), 1.5f);
  Drain();
  Headless->ChangeScale(WindowOf(F), 1);
  Drain();
  EXPECT_EQ(WindowOf(F).ClientWidth(), 800);
  EXPECT_EQ(WindowOf(F).ClientHeight(), 600);
}

TEST_F(Windows, WhatTheSystemSaysOfAWindowThatIsGoneIsDropped) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  Headless->Resize(WindowOf(F), 300, 200);
  Headless->Close(WindowOf(F));
  Forms.clear();
  F->Free();
  EXPECT_FALSE(Platform->HasMessage());
}

TEST_F(Windows, ActivationAndPlacementFollowTheWindow) {
  Start();
  TCountingForm* F = MakeForm();
  F->Show();
  Drain();
  ASSERT_TRUE(F->Active());
  Platform->PostWindowMessage(WindowOf(F), [this](TPlatformWindow& W) { Platform->WindowActivated(W, false); });
  Platform->PostWindowMessage(WindowOf(F), [this](TPlatformWindow& W) {
    Platform->WindowPosChanged(W, W.Bounds(), wsMinimized);
  });
  Drain();
  EXPECT_FALSE(F->Active());
  EXPECT_EQ(F->WindowState(), wsMinimized);
}

TEST_F(Windows, TheMouseReachesTheFormInLogicalPixels) {
  Start(2);
  TCountingForm* F = MakeForm();
  struct TWatch : TObject {
    int Clicks = 0;
    void Click(TObject*) { ++Clicks; }
  } Watch;
  auto* Target = new TControl(F);
  Target->SetParent(F);
  Target->SetBounds(50, 50, 10, 10);
  Target->OnClick = TNotifyEvent(&Watch, &TWatch::Click);
  F->Show();
  Drain();
  // Physical (110, 110) is logical (55, 55): inside the control, which physical (55, 55)
  // would not be.
  Platform->PostWindowMessage(WindowOf(F), [this](TPlatformWindow& W) {
    Platform->WindowMouseDown(W, mbLeft, {ssLeft}, 110, 110);
  });
  Platform->PostWindowMessage(WindowOf(F), [this](TPlatformWindow& W) { Platform->WindowMouseUp(W, mbLeft, {}, 110, 110); });
  Drain();
  EXPECT_EQ(Watch.Clicks, 1);
  EXPECT_EQ(F->Input().MousePos(), TPointF(55, 55));
}

// A form class with a stored description, so that the application can create it as its main
// form.
class TMainForm : public TForm {
  KLV_CLASS(TMainForm)
 public:
  explicit TMainForm(TComponent* AOwner) : TForm(AOwner) {}
  bool AllowClose = true;
  int CloseQueries = 0;
  bool CloseQuery() override {
    ++CloseQueries;
    return AllowClose;
  }
};
const TMetaClass& TMainForm::StaticClass() {
  return ClassRecord<TMainForm>("TMainForm", &TForm::StaticClass(), [](auto& B) { B.Creatable(); });
}

class MainWindow : public Windows {
 protected:
  void SetUp() override {
    SetResource("TMAINFORM", RT_RCDATA,
                ObjectTextToBinary("object MainForm: TMainForm\n  Caption = 'Main'\n  ClientWidth = 300\nend\n"));
    Start();
    Application->CreateForm(Main);
  }
  void TearDown() override {
    RemoveResource("TMAINFORM", RT_RCDATA);
    Windows::TearDown();
  }
  TMainForm* Main = nullptr;
};

TEST_F(MainWindow, TheUsersCloseEndsTheProgramUnlessTheFormRefuses) {
  int Step = 0;
  Headless->SetDriver([&] {
    switch (Step++) {
      case 0:
        Main->AllowClose = false;
        Headless->Close(WindowOf(Main));
        break;
      case 1:
        EXPECT_EQ(Main->CloseQueries, 1);
        EXPECT_FALSE(Application->Terminated());
        Main->AllowClose = true;
        Headless->Close(WindowOf(Main));
        break;
      default:
        ADD_FAILURE() << "the program goes on after its main window was closed";
        Application->Terminate();
    }
  });
  Application->Run();
  EXPECT_EQ(Step, 2);
  EXPECT_TRUE(Application->Terminated());
  EXPECT_TRUE(Platform->Windows().empty()) << "the form and its window are gone at the exit";
}

TEST_F(MainWindow, TheApplicationWindowCarriesTheMainFormsCaptionUnlessATitleIsSet) {
  std::vector<std::string> Titles;
  Headless->SetDriver([&] {
    Titles.push_back(Platform->AppTitle());
    Main->SetCaption("Renamed");
    Titles.push_back(Platform->AppTitle());
    Platform->SetTitle("Game");
    Titles.push_back(Platform->AppTitle());
    Platform->SetTitle("");
    Titles.push_back(Platform->AppTitle());
    Platform->SetTitle("application");
    Titles.push_back(Platform->AppTitle());
    Application->Terminate();
  });
  EXPECT_EQ(Platform->Title(), TPlatform::DefaultTitle());
  Application->Run();
  EXPECT_EQ(TPlatform::DefaultTitle(), "platform_tests");
  EXPECT_EQ(Titles, (std::vector<std::string>{"Main", "Renamed", "Game", "platform_tests", "Renamed"}));
}

}  // namespace
