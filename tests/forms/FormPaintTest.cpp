// The form's paint cycle on a window whose pixels live in memory: what PaintRects draws, where,
// in which order, and what it presents.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "shell/app/Services.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/Control.h"
#include "shell/core/Messaging.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "shell/forms/FormMessages.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"

namespace {

constexpr uint32_t Marker = 0xFF0000FF;  // what the window showed before the paint
constexpr TAlphaColor Red = 0xFFFF0000, Green = 0xFF00FF00, Grey = 0xFF808080, White = 0xFFFFFFFF;

// Windows whose client area (physical pixels, at a scale) is memory filled with Marker; every
// present and invalidation is recorded.
class TPixelWindows : public IWindowService, public IScreenService {
 public:
  struct TWindow : TWindowHandle {
    int Width = 300, Height = 150;
    float Scale = 1;
    std::vector<uint32_t> Pixels;
    std::vector<std::vector<TRectF>> Presents;
    TWindowBuffer Buffer() override {
      Pixels.resize(static_cast<size_t>(Width) * static_cast<size_t>(Height), Marker);
      TWindowBuffer B;
      B.Data = reinterpret_cast<uint8_t*>(Pixels.data());
      B.Width = Width;
      B.Height = Height;
      B.Stride = Width * 4;
      B.Scale = Scale;
      B.Present = [this](const std::vector<TRectF>& Rects) { Presents.push_back(Rects); };
      return B;
    }
    uint32_t At(int X, int Y) const { return Pixels.at(static_cast<size_t>(Y) * static_cast<size_t>(Width) + X); }
  };

  TWindowHandle* CreateWindow(TCommonCustomForm* F) override {
    auto& W = Windows[F];
    W = std::make_unique<TWindow>();
    W->Scale = NewScale;
    W->Width = static_cast<int>(std::ceil(200 * NewScale));
    W->Height = static_cast<int>(std::ceil(100 * NewScale));
    return W.get();
  }
  void DestroyWindow(TCommonCustomForm* F) override { Windows.erase(F); }
  void ShowWindow(TCommonCustomForm*) override {}
  void HideWindow(TCommonCustomForm*) override {}
  void SetWindowCaption(TCommonCustomForm*, const std::string&) override {}
  TRectF GetWindowRect(TCommonCustomForm* F) override {
    TSizeF S = GetClientSize(F);
    return {0, 0, S.Width, S.Height};
  }
  void SetWindowRect(TCommonCustomForm* F, const TRectF& R) override {
    Get(F).Width = static_cast<int>(std::nearbyint(R.Width() * Get(F).Scale));
    Get(F).Height = static_cast<int>(std::nearbyint(R.Height() * Get(F).Scale));
  }
  TSizeF GetClientSize(TCommonCustomForm* F) override {
    return {static_cast<float>(Get(F).Width) / Get(F).Scale, static_cast<float>(Get(F).Height) / Get(F).Scale};
  }
  void SetClientSize(TCommonCustomForm* F, const TSizeF& S) override {
    Get(F).Width = static_cast<int>(std::ceil(S.Width * Get(F).Scale));
    Get(F).Height = static_cast<int>(std::ceil(S.Height * Get(F).Scale));
  }
  float GetWindowScale(TCommonCustomForm* F) override { return Get(F).Scale; }
  void InvalidateWindowRect(TCommonCustomForm*, const TRectF& R) override { Invalidated.push_back(R); }

  TSizeF GetScreenSize() override { return {1920, 1080}; }
  TRectF GetWorkArea() override { return {0, 0, 1920, 1080}; }
  float GetScreenScale() override { return 1; }
  void SetScreenOrientation(TScreenOrientations) override {}

  TWindow& Get(TCommonCustomForm* F) { return *Windows.at(F); }
  std::map<TCommonCustomForm*, std::unique_ptr<TWindow>> Windows;
  std::vector<TRectF> Invalidated;
  float NewScale = 1;
};

std::vector<std::string>* GPaintLog = nullptr;

// A control that fills itself with one colour and notes each paint by name.
class TSwatch : public TControl {
 public:
  TSwatch(TCommonCustomForm* Form, const std::string& AName, TAlphaColor AColor, TRectF Bounds)
      : TControl(Form), Color(AColor) {
    SetName(AName);
    SetParent(Form);
    SetBounds(Bounds.Left, Bounds.Top, Bounds.Width(), Bounds.Height());
  }
  TAlphaColor Color;
  std::function<void()> During;

 protected:
  void Paint() override {
    if (GPaintLog) GPaintLog->push_back(Name());
    if (During) During();
    TBrush B(TBrushKind::Solid, Color);
    Canvas()->FillRect(LocalRect(), 0, 0, AllCorners, 1, B);
  }
};

class FormPaintTest : public ::testing::Test {
 protected:
  FormPaintTest() {
    GPaintLog = &Painted;
    TPlatformServices::Current().AddPlatformService(IWindowService::ServiceName(), static_cast<IWindowService*>(&Windows));
    TPlatformServices::Current().AddPlatformService(IScreenService::ServiceName(), static_cast<IScreenService*>(&Windows));
  }
  ~FormPaintTest() override {
    if (Form) Form->Free();
    TPlatformServices::Current().RemovePlatformService(IWindowService::ServiceName());
    TPlatformServices::Current().RemovePlatformService(IScreenService::ServiceName());
    GPaintLog = nullptr;
  }
  TForm* MakeForm(float Scale = 1) {
    Windows.NewScale = Scale;
    Form = NewForm<TForm>(nullptr, TCreateNew{});
    return Form;
  }
  TPixelWindows::TWindow& Window() { return Windows.Get(Form); }

  TPixelWindows Windows;
  TForm* Form = nullptr;
  std::vector<std::string> Painted;
};

TEST_F(FormPaintTest, APaintCoversOnlyItsRectanglesAndPresentsExactlyThem) {
  struct TCase {
    float Scale;
    std::vector<TRectF> DeviceRects;
  };
  const TCase Cases[] = {
      {1, {TRectF(10, 10, 30, 20), TRectF(50, 50, 60, 90)}},
      {1.5f, {TRectF(15, 15, 45, 30), TRectF(75, 75, 90, 135)}},
  };
  for (const TCase& C : Cases) {
    MakeForm(C.Scale);
    Form->Fill()->SetKind(TBrushKind::Solid);
    Form->Fill()->SetColor(Red);
    Form->PaintRects({TRectF(10, 10, 30, 20), TRectF(50, 50, 60, 90)});
    ASSERT_EQ(Window().Presents.size(), 1u);
    EXPECT_EQ(Window().Presents[0], C.DeviceRects) << C.Scale;
    for (int Y = 0; Y < Window().Height; ++Y)
      for (int X = 0; X < Window().Width; ++X) {
        bool Inside = false;
        for (const TRectF& R : C.DeviceRects) Inside = Inside || R.Contains(TPointF(X + 0.5f, Y + 0.5f));
        ASSERT_EQ(Window().At(X, Y), Inside ? Red : Marker) << X << "," << Y << " at scale " << C.Scale;
      }
    EXPECT_EQ(Form->Canvas()->Scale(), C.Scale);
    Form->Free();
    Form = nullptr;
  }
}

TEST_F(FormPaintTest, RectanglesOutsideTheClientAreaAreCutAwayAndNothingLeftPaintsNothing) {
  MakeForm();
  Form->PaintRects({TRectF(-20, -20, 5, 5), TRectF(190, 90, 400, 400)});
  ASSERT_EQ(Window().Presents.size(), 1u);
  EXPECT_EQ(Window().Presents[0], (std::vector<TRectF>{TRectF(0, 0, 5, 5), TRectF(190, 90, 200, 100)}));
  Form->PaintRects({TRectF(300, 0, 400, 50), TRectF(5, 5, 5, 50)});
  EXPECT_EQ(Window().Presents.size(), 1u) << "nothing of the client area to paint";
}

TEST_F(FormPaintTest, ChildrenPaintInChildOrderInTheirOwnPlaceAndOnlyWhereTheyMeetTheRectangles) {
  MakeForm();
  new TSwatch(Form, "A", Green, TRectF(0, 0, 100, 100));
  new TSwatch(Form, "B", Grey, TRectF(50, 0, 150, 100));
  auto* C = new TSwatch(Form, "C", Red, TRectF(160, 50, 180, 70));
  auto* Hidden = new TSwatch(Form, "Hidden", Red, TRectF(0, 0, 200, 100));
  Hidden->SetVisible(false);

  Form->PaintRects({TRectF(60, 10, 70, 20)});
  EXPECT_EQ(Painted, (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(Window().At(65, 15), Grey) << "the later child paints over the earlier";

  Painted.clear();
  Form->PaintRects({TRectF(0, 0, 10, 10), TRectF(165, 55, 166, 56)});
  EXPECT_EQ(Painted, (std::vector<std::string>{"A", "C"}));
  EXPECT_EQ(Window().At(5, 5), Green);
  EXPECT_EQ(Window().At(165, 55), Red);
  // A child paints in its own coordinates: C's local (0, 0) is the form's (160, 50).
  EXPECT_EQ(Window().At(159, 55), Marker);
  (void)C;
}

// A child may lie outside its parent: a paint of its part paints the parent (and so the
// child), and a hidden child does not widen its parent's area.
TEST_F(FormPaintTest, AChildOutsideItsParentIsPaintedWhenItsPartIsRepainted) {
  MakeForm();
  auto* Panel = new TSwatch(Form, "Panel", Grey, TRectF(10, 10, 70, 70));
  auto* Outside = new TSwatch(Form, "Outside", Red, TRectF(0, 0, 1, 1));
  Outside->SetParent(Panel);
  Outside->SetBounds(120, 10, 30, 20);  // (130, 20)-(160, 40) on the form
  Form->PaintRects({TRectF(0, 0, 200, 100)});
  ASSERT_EQ(Window().At(140, 30), Red);
  Painted.clear();
  Outside->Color = Green;
  Form->PaintRects({Outside->AbsoluteRect()});
  EXPECT_EQ(Painted, (std::vector<std::string>{"Panel", "Outside"}));
  EXPECT_EQ(Window().At(140, 30), Green);
  Outside->SetVisible(false);
  Painted.clear();
  Form->PaintRects({TRectF(140, 30, 141, 31)});
  EXPECT_TRUE(Painted.empty());
  EXPECT_EQ(Window().At(140, 30), White);
}

TEST_F(FormPaintTest, TheFillPaintsTheBackgroundAndAChangeOfItRepaintsTheWholeClientArea) {
  MakeForm();
  // Kind None: the fill colour (white unless set) stands in for the background.
  EXPECT_EQ(Form->Fill()->Kind(), TBrushKind::None);
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(Window().At(5, 5), White);

  Windows.Invalidated.clear();
  Form->Fill()->SetKind(TBrushKind::Solid);
  EXPECT_EQ(Windows.Invalidated, std::vector<TRectF>{TRectF(0, 0, 200, 100)});
  Form->Fill()->SetColor(0x80FF0000);
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  // Half-transparent red on nothing: a repaint does not pile up on the picture before it.
  const uint32_t Once = Window().At(5, 5);
  EXPECT_EQ(Once >> 24, 0x80u);
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(Window().At(5, 5), Once);
}

TEST_F(FormPaintTest, ControlsHaveTheCanvasOnlyWhileThePaintRunsAndAPaintDoesNotNest) {
  MakeForm();
  auto* A = new TSwatch(Form, "A", Green, TRectF(0, 0, 50, 50));
  TCanvas* Seen = nullptr;
  A->During = [&] {
    Seen = A->Canvas();
    EXPECT_TRUE(Form->Painting());
    Form->PaintRects({TRectF(0, 0, 200, 100)});  // ignored: a paint is in progress
  };
  EXPECT_EQ(A->Canvas(), nullptr);
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(Seen, Form->Canvas());
  ASSERT_NE(Seen, nullptr);
  EXPECT_EQ(Painted, std::vector<std::string>{"A"});
  EXPECT_EQ(Window().Presents.size(), 1u);
  EXPECT_EQ(A->Canvas(), nullptr);
  EXPECT_FALSE(Form->Painting());
}

TEST_F(FormPaintTest, AnErrorWhileAChildPaintsClosesTheSceneAndPassesOn) {
  MakeForm();
  auto* A = new TSwatch(Form, "A", Green, TRectF(0, 0, 50, 50));
  A->During = [] { throw std::runtime_error("paint failed"); };
  EXPECT_THROW(Form->PaintRects({TRectF(0, 0, 10, 10)}), std::runtime_error);
  EXPECT_EQ(Form->Canvas()->BeginSceneCount(), 0);
  EXPECT_FALSE(Form->Painting());
  EXPECT_EQ(Window().Presents.size(), 1u) << "the scene ends as always, presenting what was drawn";
  A->During = nullptr;
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(Window().At(5, 5), Green);
}

TEST_F(FormPaintTest, AScaleChangeReachesTheListenersAndTheNextPaintDrawsAtTheNewScale) {
  MakeForm();
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  ASSERT_EQ(Form->Canvas()->Scale(), 1);
  std::vector<std::pair<TObject*, float>> Heard;
  const int64_t Id = TMessageManager::DefaultManager().SubscribeToMessage<TScaleChangedMessage>(
      [&](TObject* Sender, const TMessageBase& M) { Heard.emplace_back(Sender, static_cast<const TScaleChangedMessage&>(M).Scale); });
  // The system changed the window: twice the pixels for the same logical size.
  Window().Scale = 2;
  Window().Width = 400;
  Window().Height = 200;
  Window().Pixels.clear();
  Windows.Invalidated.clear();
  Form->HandleScaleChanged();
  TMessageManager::DefaultManager().Unsubscribe<TScaleChangedMessage>(Id);
  EXPECT_EQ(Heard, (std::vector<std::pair<TObject*, float>>{{Form, 2.0f}}));
  EXPECT_EQ(Windows.Invalidated, std::vector<TRectF>{TRectF(0, 0, 200, 100)});
  EXPECT_EQ(Form->ClientWidth(), 200);
  Form->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(Form->Canvas()->Scale(), 2);
  EXPECT_EQ(Window().Presents.back(), std::vector<TRectF>{TRectF(0, 0, 20, 20)});
}

TEST_F(FormPaintTest, TheSystemsResizeLaysTheChildrenOutAgainAndItsPlacementBecomesTheWindowState) {
  MakeForm();
  auto* View = new TSwatch(Form, "View", Green, TRectF(0, 0, 10, 10));
  View->SetAlign(TAlignLayout::Client);
  Form->Realign();
  ASSERT_EQ(View->Width(), 200);
  Window().Width = 320;
  Window().Height = 240;
  Form->HandleWindowPosChanged(wsMaximized);
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  EXPECT_EQ(Form->ClientWidth(), 320);
  EXPECT_EQ(View->Width(), 320);
  EXPECT_EQ(View->Height(), 240);
}

// A form class with a stored description, to read Fill and Quality from a stream.
class TPaintForm : public TForm {
  KLV_CLASS(TPaintForm)
 public:
  explicit TPaintForm(TComponent* AOwner) : TForm(AOwner) {}
};
const TMetaClass& TPaintForm::StaticClass() {
  return ClassRecord<TPaintForm>("TPaintForm", &TForm::StaticClass(), [](auto& B) { B.Creatable(); });
}

TEST_F(FormPaintTest, FillAndQualityComeFromTheStoredDescription) {
  SetResource("TPAINTFORM", RT_RCDATA,
              ObjectTextToBinary("object PaintForm: TPaintForm\n"
                                 "  Quality = HighPerformance\n"
                                 "  Fill.Color = claRed\n"
                                 "  Fill.Kind = Solid\n"
                                 "end\n"));
  auto* F = NewForm<TPaintForm>(nullptr);
  EXPECT_EQ(F->Quality(), TCanvasQuality::HighPerformance);
  EXPECT_EQ(F->Fill()->Kind(), TBrushKind::Solid);
  EXPECT_EQ(F->Fill()->Color(), Red);
  F->PaintRects({TRectF(0, 0, 10, 10)});
  EXPECT_EQ(F->Canvas()->Quality(), TCanvasQuality::HighPerformance);
  EXPECT_EQ(Windows.Get(F).At(3, 3), Red);
  // What was not stored keeps its default and is not written.
  const TMetaClass& C = TForm::StaticClass();
  EXPECT_TRUE(C.FindProperty("Quality")->ShouldStore(F));
  F->SetQuality(TCanvasQuality::SystemDefault);
  EXPECT_FALSE(C.FindProperty("Quality")->ShouldStore(F));
  F->Free();
  RemoveResource("TPAINTFORM", RT_RCDATA);
}

}  // namespace
