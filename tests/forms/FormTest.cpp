#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "shell/app/Services.h"
#include "shell/core/Exceptions.h"
#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/Register.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "shell/forms/Screen.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"
#include "tests/forms/NoStreamForm.h"

namespace {

using Log = std::vector<std::string>;
Log* GLog = nullptr;
void Note(const std::string& S) {
  if (GLog) GLog->push_back(S);
}

// A window system in memory: windows appear at (50, 60) with an outer size of 800 × 600 and a
// frame of 8 pixels, 30 at the top; every call is noted.
class TFakeWindows : public IWindowService, public IScreenService {
 public:
  struct TWindow : TWindowHandle {
    TRectF Rect{50, 60, 850, 660};
    bool Visible = false;
    std::string Caption;
  };
  static constexpr float FrameX = 16, FrameY = 38;

  TWindowHandle* CreateWindow(TCommonCustomForm* F) override {
    Note(std::string("CreateWindow border=") + std::to_string(static_cast<int>(F->BorderStyle())));
    auto& W = Windows[F];
    W = std::make_unique<TWindow>();
    return W.get();
  }
  void DestroyWindow(TCommonCustomForm* F) override { Windows.erase(F); }
  void ShowWindow(TCommonCustomForm* F) override {
    Note("ShowWindow");
    Get(F).Visible = true;
  }
  void HideWindow(TCommonCustomForm* F) override { Get(F).Visible = false; }
  void SetWindowCaption(TCommonCustomForm* F, const std::string& C) override {
    Note("Caption " + C);
    Get(F).Caption = C;
  }
  TRectF GetWindowRect(TCommonCustomForm* F) override { return Get(F).Rect; }
  void SetWindowRect(TCommonCustomForm* F, const TRectF& R) override { Get(F).Rect = R; }
  TSizeF GetClientSize(TCommonCustomForm* F) override {
    return {Get(F).Rect.Width() - FrameX, Get(F).Rect.Height() - FrameY};
  }
  void SetClientSize(TCommonCustomForm* F, const TSizeF& S) override {
    Note("ClientSize " + std::to_string(static_cast<int>(S.Width)) + "x" + std::to_string(static_cast<int>(S.Height)));
    TRectF& R = Get(F).Rect;
    R.Right = R.Left + std::ceil(S.Width) + FrameX;
    R.Bottom = R.Top + std::ceil(S.Height) + FrameY;
  }
  float GetWindowScale(TCommonCustomForm*) override { return 1; }
  void InvalidateWindowRect(TCommonCustomForm*, const TRectF&) override {}

  TSizeF GetScreenSize() override { return {1601, 1000}; }
  TRectF GetWorkArea() override { return {0, 0, 1601, 960}; }
  float GetScreenScale() override { return 1; }
  void SetScreenOrientation(TScreenOrientations) override {}

  TWindow& Get(TCommonCustomForm* F) { return *Windows.at(F); }
  std::map<TCommonCustomForm*, std::unique_ptr<TWindow>> Windows;
};

// Makes Text (the text notation) the stored description of TLogForm.
void StoreLogForm(const std::string& Text) { SetResource("TLOGFORM", RT_RCDATA, ObjectTextToBinary(Text)); }

// Notes the steps of its construction.
class TLogForm : public TForm {
  KLV_CLASS(TLogForm)
 public:
  explicit TLogForm(TComponent* AOwner) : TForm(AOwner) {}
  TLogForm(TComponent* AOwner, TCreateNew) : TForm(AOwner, TCreateNew{}) {}
  void FormCreate(TObject*) { Note("FormCreate"); }
  void FormResize(TObject*) { Note("FormResize"); }
  void FormKeyDown(TObject*, uint16_t& Key, char32_t& KeyChar, TShiftState) {
    Note("FormKeyDown " + std::to_string(Key) + " " + std::to_string(static_cast<uint32_t>(KeyChar)));
  }
  void FormKeyUp(TObject*, uint16_t& Key, char32_t&, TShiftState) { Note("FormKeyUp " + std::to_string(Key)); }
  void FormMouseWheel(TObject*, TShiftState, int WheelDelta, bool& Handled) {
    Note("FormMouseWheel " + std::to_string(WheelDelta));
    Handled = WheelDelta > 0;
  }
  void Loaded() override {
    Note("Loaded window=" + std::string(Handle() ? "yes" : "no"));
    TForm::Loaded();
  }
  void Realign() override {
    Note("Realign");
    TForm::Realign();
  }
};
const TMetaClass& TLogForm::StaticClass() {
  return ClassRecord<TLogForm>("TLogForm", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Method("FormCreate", &TLogForm::FormCreate);
    B.Method("FormResize", &TLogForm::FormResize);
    B.Method("FormKeyDown", &TLogForm::FormKeyDown, &TypeInfos::KeyEvent());
    B.Method("FormKeyUp", &TLogForm::FormKeyUp, &TypeInfos::KeyEvent());
    B.Method("FormMouseWheel", &TLogForm::FormMouseWheel, &TypeInfos::MouseWheelEvent());
  });
}

class FormTest : public ::testing::Test {
 protected:
  FormTest() {
    GLog = &Events;
    TPlatformServices::Current().AddPlatformService(IWindowService::ServiceName(), static_cast<IWindowService*>(&Windows));
    TPlatformServices::Current().AddPlatformService(IScreenService::ServiceName(), static_cast<IScreenService*>(&Windows));
    StoreLogForm(
        "object Form1: TLogForm\n"
        "  Left = 0\n"
        "  Top = 0\n"
        "  Caption = 'Form1'\n"
        "  ClientHeight = 480\n"
        "  ClientWidth = 634\n"
        "  FormFactor.Width = 320\n"
        "  FormFactor.Height = 480\n"
        "  FormFactor.Devices = [Desktop]\n"
        "  OnCreate = FormCreate\n"
        "  OnResize = FormResize\n"
        "  DesignerMasterStyle = 0\n"
        "end\n");
  }
  ~FormTest() override {
    RemoveResource("TLOGFORM", RT_RCDATA);
    TPlatformServices::Current().RemovePlatformService(IWindowService::ServiceName());
    TPlatformServices::Current().RemovePlatformService(IScreenService::ServiceName());
    GLog = nullptr;
  }

  Log Events;
  TFakeWindows Windows;
};

TEST_F(FormTest, ConstructionCreatesTheHiddenWindowThenReadsTheDescriptionThenRunsOnCreate) {
  auto* F = new TLogForm(nullptr);
  EXPECT_TRUE(Events.empty()) << "the constructor alone does no more than find the window service";
  F->AfterConstruction();
  EXPECT_EQ(Events, (Log{"CreateWindow border=2", "Caption Form1", "ClientSize 784x480", "ClientSize 634x480",
                         "Loaded window=yes", "Realign", "FormCreate", "FormResize"}));
  EXPECT_FALSE(Windows.Get(F).Visible);
  EXPECT_EQ(F->Name(), "Form1");
  EXPECT_EQ(F->ClientWidth(), 634);
  EXPECT_EQ(F->ClientHeight(), 480);
  // The outer size follows from the client size; the stored Left and Top stay in the form
  // while the window stays where the system put it.
  EXPECT_EQ(F->Width(), 650);
  EXPECT_EQ(F->Height(), 518);
  EXPECT_EQ(F->Left(), 0);
  EXPECT_EQ(Windows.Get(F).Rect.TopLeft(), TPointF(50, 60));
  EXPECT_EQ(F->DefaultWindowRect(), TRectF(50, 60, 850, 660));
  EXPECT_TRUE(F->FormState().Contains(TFormState::WasNotShown));
  EXPECT_TRUE(F->BoundChanges().Empty());
  EXPECT_EQ(F->Position(), TFormPosition::DefaultPosOnly);
  EXPECT_EQ(F->BorderIcons(), (TBorderIcons{biSystemMenu, biMinimize, biMaximize}));
  EXPECT_EQ(F->FormFactor()->Width(), 320);
  EXPECT_EQ(F->StyleLookup(), "backgroundstyle");
  EXPECT_EQ(FindGlobalComponent("Form1"), F);
  EXPECT_EQ(TScreen::Current().FormCount(), 1);
  F->Free();
  EXPECT_TRUE(Windows.Windows.empty());
  EXPECT_EQ(FindGlobalComponent("Form1"), nullptr);
  EXPECT_EQ(TScreen::Current().FormCount(), 0);
}

TEST_F(FormTest, AClassWithoutStoredDescriptionFailsAndLeavesNothingBehind) {
  auto* Owner = new TComponent(nullptr);
  try {
    NewForm<TNoStreamForm>(Owner);
    FAIL();
  } catch (const EResNotFound& E) {
    EXPECT_EQ(E.Message(), "Resource TNoStreamForm not found");
  }
  EXPECT_EQ(Owner->ComponentCount(), 0);
  EXPECT_TRUE(Windows.Windows.empty());
  EXPECT_TRUE(GlobalComponents().empty());
  EXPECT_EQ(TScreen::Current().FormCount(), 0);
  Owner->Free();
}

TEST_F(FormTest, CreateNewMakesTheWindowAtOnceAndReadsNoDescription) {
  auto* F = new TLogForm(nullptr, TCreateNew{});
  EXPECT_EQ(Events, Log{"CreateWindow border=2"});
  ASSERT_NE(F->Handle(), nullptr);
  EXPECT_EQ(F->Width(), 640);
  EXPECT_EQ(F->StyleLookup(), "backgroundstyle");
  F->OnCreate = TNotifyEvent(F, &TLogForm::FormCreate);
  F->SetClientWidth(300);  // building by code marks a bound change that construction then forgets
  EXPECT_TRUE(F->BoundChanges().Contains(TBoundChange::Size));
  Events.clear();
  F->AfterConstruction();
  EXPECT_EQ(Events, (Log{"Realign", "FormCreate"}));
  EXPECT_TRUE(F->BoundChanges().Empty());
  EXPECT_EQ(F->Caption(), "");
  F->Free();
}

TEST_F(FormTest, WithoutAWindowServiceNeitherConstructorSucceeds) {
  TPlatformServices::Current().RemovePlatformService(IWindowService::ServiceName());
  auto* Owner = new TComponent(nullptr);
  for (int Variant = 0; Variant < 2; ++Variant) {
    try {
      if (Variant == 0)
        new TLogForm(Owner);
      else
        new TLogForm(Owner, TCreateNew{});
      FAIL();
    } catch (const EUnsupportedPlatformService& E) {
      EXPECT_EQ(E.Message(), "Unsupported platform service: IWindowService");
    }
  }
  EXPECT_EQ(Owner->ComponentCount(), 0);
  EXPECT_TRUE(GlobalComponents().empty());
  Owner->Free();
}

TEST_F(FormTest, PreloadedPropertiesAreKnownWhenTheWindowIsCreated) {
  StoreLogForm(
      "object Form1: TLogForm\n"
      "  BorderStyle = None\n"
      "  FormStyle = StayOnTop\n"
      "  EnableBorderStyling = False\n"
      "end\n");
  TLogForm* F = NewForm<TLogForm>(nullptr);
  EXPECT_EQ(Events.front(), "CreateWindow border=0");
  EXPECT_EQ(F->FormStyle(), TFormStyle::StayOnTop);
  EXPECT_FALSE(F->BorderStyling());
  F->Free();
}

TEST_F(FormTest, DefinedPropertiesOfTheForm) {
  StoreLogForm(
      "object Form1: TLogForm\n"
      "  DesignerMasterStyle = 3\n"
      "  TopMost = True\n"
      "  DesignerWidth = 360\n"
      "  DesignerDeviceName = 'Desktop'\n"
      "  DesignerOSVersion = '10'\n"
      "end\n");
  TLogForm* F = NewForm<TLogForm>(nullptr);
  EXPECT_EQ(F->DesignerMasterStyle(), 3);
  EXPECT_EQ(F->FormStyle(), TFormStyle::StayOnTop);
  EXPECT_EQ(F->DesignerDeviceName(), "Desktop");
  F->Free();

  StoreLogForm("object Form1: TLogForm\n  ShowActivated = False\nend\n");
  F = NewForm<TLogForm>(nullptr);
  EXPECT_EQ(F->FormStyle(), TFormStyle::Popup);
  F->Free();
}

TEST_F(FormTest, RootNamesStayUniqueAmongForms) {
  TLogForm* A = NewForm<TLogForm>(nullptr);
  TLogForm* B = NewForm<TLogForm>(nullptr);
  EXPECT_EQ(A->Name(), "Form1");
  EXPECT_EQ(B->Name(), "Form1_1");
  B->Free();
  A->Free();
}

TEST_F(FormTest, SettingOneClientDimensionKeepsTheOther) {
  TLogForm* F = NewForm<TLogForm>(nullptr);
  Events.clear();
  F->SetClientWidth(400);
  EXPECT_EQ(F->ClientWidth(), 400);
  EXPECT_EQ(F->ClientHeight(), 480);
  EXPECT_EQ(F->Width(), 416);
  EXPECT_EQ(Events, (Log{"ClientSize 400x480", "Realign", "FormResize"}));
  Events.clear();
  F->SetClientWidth(400);
  EXPECT_TRUE(Events.empty()) << "the current value changes nothing";
  F->Free();
}

// Where the first show puts a form of client size 634 × 480 (outer 650 × 518) with Left = 7,
// Top = 9 set before the show, for each Position.
TEST_F(FormTest, FirstShowPlacesTheFormByPosition) {
  struct TCase {
    TFormPosition Position;
    bool MoveFirst;  // Left/Top set in code after construction (a Location bound change)
    TRectF Expected;
  };
  const TCase Cases[] = {
      {TFormPosition::Designed, false, {0, 0, 650, 518}},
      {TFormPosition::DefaultPosOnly, false, {50, 60, 700, 578}},
      {TFormPosition::Default, false, {50, 60, 850, 660}},
      {TFormPosition::DefaultSizeOnly, false, {0, 0, 800, 600}},
      // (1601 − 650) / 2 = 475.5 → 476 (halves to even), (960 − 518) / 2 = 221
      {TFormPosition::ScreenCenter, false, {476, 221, 1126, 739}},
      {TFormPosition::DesktopCenter, false, {476, 241, 1126, 759}},
      {TFormPosition::MainFormCenter, false, {476, 221, 1126, 739}},
      // A Location change makes every centred or default-position rule the designed one.
      {TFormPosition::DefaultPosOnly, true, {7, 9, 657, 527}},
      {TFormPosition::ScreenCenter, true, {7, 9, 657, 527}},
      {TFormPosition::Default, true, {7, 9, 807, 609}},
  };
  for (const TCase& C : Cases) {
    TLogForm* F = NewForm<TLogForm>(nullptr);
    F->SetPosition(C.Position);
    if (C.MoveFirst) {
      F->SetLeft(7);
      F->SetTop(9);
      EXPECT_EQ(Windows.Get(F).Rect.TopLeft(), TPointF(50, 60)) << "not moved before the first show";
    }
    F->Show();
    EXPECT_EQ(Windows.Get(F).Rect, C.Expected) << static_cast<int>(C.Position) << " " << C.MoveFirst;
    EXPECT_EQ(TRectF(static_cast<float>(F->Left()), static_cast<float>(F->Top()),
                     static_cast<float>(F->Left() + F->Width()), static_cast<float>(F->Top() + F->Height())),
              C.Expected);
    EXPECT_TRUE(F->Visible());
    EXPECT_FALSE(F->FormState().Contains(TFormState::WasNotShown));
    // Later moves go to the window at once.
    F->SetLeft(F->Left() + 1);
    EXPECT_EQ(Windows.Get(F).Rect.Left, C.Expected.Left + 1);
    F->Free();
  }
}

TEST_F(FormTest, AFormStoredVisibleIsShownAfterOnCreate) {
  StoreLogForm("object Form1: TLogForm\n  Visible = True\n  OnCreate = FormCreate\nend\n");
  TLogForm* F = NewForm<TLogForm>(nullptr);
  ASSERT_GE(Events.size(), 2u);
  EXPECT_EQ(Events[Events.size() - 2], "FormCreate");
  EXPECT_EQ(Events.back(), "ShowWindow");
  EXPECT_TRUE(F->Visible());
  F->Free();
}

TEST_F(FormTest, ShowingNotesTheSteps) {
  TLogForm* F = NewForm<TLogForm>(nullptr);
  struct TWatch : TObject {
    void OnShow(TObject*) { Note("OnShow"); }
    void OnActivate(TObject*) { Note("OnActivate"); }
  } Watch;
  F->OnShow = TNotifyEvent(&Watch, &TWatch::OnShow);
  F->OnActivate = TNotifyEvent(&Watch, &TWatch::OnActivate);
  Events.clear();
  F->SetVisible(true);
  EXPECT_EQ(Events, (Log{"ShowWindow", "OnShow", "OnActivate"}));
  EXPECT_EQ(TScreen::Current().ActiveForm(), F);
  F->SetVisible(false);
  EXPECT_FALSE(Windows.Get(F).Visible);
  F->Free();
  EXPECT_EQ(TScreen::Current().ActiveForm(), nullptr);
}

TEST_F(FormTest, ClosingFollowsTheQueryAndTheAction) {
  struct TApp : IFormApplication {
    TCommonCustomForm* Main = nullptr;
    int Terminations = 0;
    TCommonCustomForm* GetMainForm() const override { return Main; }
    bool Terminate() override { return ++Terminations > 0; }
  } App;
  TScreen::Current().SetApplication(&App);
  struct THandlers : TObject {
    bool Allow = true;
    TCloseAction Action = caHide;
    void Query(TObject*, bool& CanClose) { CanClose = Allow; }
    void Close(TObject*, TCloseAction& A) { A = Action; }
  } H;
  TLogForm* Main = NewForm<TLogForm>(nullptr);
  TLogForm* Other = NewForm<TLogForm>(nullptr);
  App.Main = Main;
  for (TLogForm* F : {Main, Other}) {
    F->OnCloseQuery = TCloseQueryEvent(&H, &THandlers::Query);
    F->OnClose = TCloseEvent(&H, &THandlers::Close);
    F->Show();
  }
  H.Allow = false;
  Main->Close();
  EXPECT_EQ(App.Terminations, 0);
  H.Allow = true;
  H.Action = caNone;
  Main->Close();
  EXPECT_EQ(App.Terminations, 0);
  H.Action = caHide;
  Main->Close();
  EXPECT_EQ(App.Terminations, 1) << "closing the main form ends the program";
  Other->Close();
  EXPECT_FALSE(Other->Visible());
  H.Action = caFree;
  Other->Close();
  EXPECT_EQ(TScreen::Current().FormCount(), 1);
  TScreen::Current().SetApplication(nullptr);
  Main->Free();
}

TEST_F(FormTest, PublishedPropertiesAndTheirDefaults) {
  const TMetaClass& C = TForm::StaticClass();
  EXPECT_EQ(C.FindProperty("Position")->OrdDefault, static_cast<int64_t>(TFormPosition::DefaultPosOnly));
  EXPECT_EQ(C.FindProperty("BorderStyle")->OrdDefault, static_cast<int64_t>(TFormBorderStyle::Sizeable));
  EXPECT_EQ(C.FindProperty("Visible")->OrdDefault, 0);
  TLogForm* F = NewForm<TLogForm>(nullptr);
  // A stored form records the client size, not the outer size or the default style lookup.
  EXPECT_FALSE(C.FindProperty("Width")->ShouldStore(F));
  EXPECT_FALSE(C.FindProperty("StyleLookup")->ShouldStore(F));
  EXPECT_TRUE(C.FindProperty("ClientWidth")->ShouldStore(F));
  EXPECT_TRUE(C.FindProperty("Left")->ShouldStore(F));
  const TPropInfo* Devices = TFormFactor::StaticClass().FindProperty("Devices");
  EXPECT_EQ(Devices->Type->IndexOfName("desktop"), 0);
  EXPECT_TRUE(Devices->ShouldStore(F->FormFactor()));
  F->Free();
}

}  // namespace

namespace {

// The form lays its controls out in its client area, at construction and on every resize.
TEST_F(FormTest, TheFormAlignsItsControlsInTheClientArea) {
  auto* F = new TLogForm(nullptr, TCreateNew{});
  auto* View = new TControl(F);
  auto* Panel = new TPanel(F);
  View->SetParent(F);
  Panel->SetParent(F);
  Panel->SetHeight(40);
  Panel->SetAlign(TAlignLayout::Bottom);
  View->SetAlign(TAlignLayout::Client);
  F->SetClientHeight(480);
  F->SetClientWidth(634);
  F->AfterConstruction();
  auto Box = [](TControl* C) {
    return TRectF::FromSize({C->Position()->X(), C->Position()->Y()}, {C->Width(), C->Height()});
  };
  EXPECT_EQ(Box(View), TRectF(0, 0, 634, 440));
  EXPECT_EQ(Box(Panel), TRectF(0, 440, 634, 480));
  F->SetClientHeight(300);
  EXPECT_EQ(Box(View), TRectF(0, 0, 634, 260));
  EXPECT_EQ(Box(Panel), TRectF(0, 260, 634, 300));
  F->Padding()->SetLeft(10);
  EXPECT_EQ(Box(View), TRectF(10, 0, 634, 260));
  F->Free();
}

// A stored form binds its own key and wheel handlers; they get the keys that the focused
// control leaves and the wheel before the control under the mouse.
TEST_F(FormTest, TheFormsKeyAndWheelEventsAreBoundFromItsStoredDescription) {
  RegisterControlClasses();
  StoreLogForm(
      "object Form1: TLogForm\n"
      "  ClientHeight = 480\n"
      "  ClientWidth = 634\n"
      "  OnKeyDown = FormKeyDown\n"
      "  OnKeyUp = FormKeyUp\n"
      "  OnMouseWheel = FormMouseWheel\n"
      "  object Button1: TButton\n"
      "    Position.X = 10\n"
      "    Position.Y = 10\n"
      "  end\n"
      "end\n");
  TLogForm* F = NewForm<TLogForm>(nullptr);
  struct TWheels : TObject {
    int Count = 0;
    void Wheel(TObject*, TShiftState, int, bool&) { ++Count; }
  } ButtonWheels;
  auto* Button = dynamic_cast<TButton*>(F->FindComponent("Button1"));
  ASSERT_NE(Button, nullptr);
  Button->OnMouseWheel = TMouseWheelEvent(&ButtonWheels, &TWheels::Wheel);
  Events.clear();
  uint16_t Key = 'A';
  char32_t Char = U'a';
  F->Input().KeyDown(Key, Char, {});
  F->Input().KeyUp(Key, Char, {});
  // The focused button consumes Space: the form does not see it.
  Button->SetFocus();
  Key = vkSpace;
  Char = U' ';
  F->Input().KeyDown(Key, Char, {});
  F->Input().MouseMove({}, 20, 20);
  bool Handled = false;
  F->Input().MouseWheel({}, 120, Handled);
  EXPECT_TRUE(Handled);
  F->Input().MouseWheel({}, -120, Handled);
  EXPECT_EQ(Events, (Log{"FormKeyDown 65 97", "FormKeyUp 65", "FormMouseWheel 120", "FormMouseWheel -120"}));
  EXPECT_EQ(ButtonWheels.Count, 1) << "only the wheel the form left unhandled";
  F->Free();
}

TEST_F(FormTest, AClickedButtonsModalResultBecomesTheFormsModalResult) {
  auto* F = new TLogForm(nullptr, TCreateNew{});
  F->AfterConstruction();
  auto* Button = new TButton(F);
  Button->SetParent(F);
  Button->SetBounds(10, 10, 80, 22);
  EXPECT_EQ(F->ModalResult(), 0);
  auto Click = [F] {
    F->Input().MouseDown(mbLeft, {ssLeft}, 20, 20);
    F->Input().MouseUp(mbLeft, {}, 20, 20);
  };
  Click();
  EXPECT_EQ(F->ModalResult(), 0) << "a button without one leaves it";
  Button->SetModalResult(2);
  Click();
  EXPECT_EQ(F->ModalResult(), 2);
  F->Free();
}

}  // namespace
