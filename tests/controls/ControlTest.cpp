// TControl on its own: the class table entries, bounds and size rules, alignment requests,
// anchors, loading, repaint through the root, painting order and focus rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/Register.h"
#include "shell/controls/TrackBar.h"
#include "tests/controls/TestRoot.h"

namespace {

// Reads a published property by dotted path ("Size.Width"), through the class table.
const TPropInfo* Resolve(TObject*& Instance, const std::string& Path) {
  size_t Dot = Path.find('.');
  const TPropInfo* P = Instance->ClassType().FindProperty(Path.substr(0, Dot));
  if (!P || Dot == std::string::npos) return P;
  Instance = P->GetObj(Instance);
  return Resolve(Instance, Path.substr(Dot + 1));
}

TEST(ControlClasses, RegisteredAndCreatableByName) {
  RegisterControlClasses();
  TRootPtr Root{new TTestRoot()};
  for (const char* Name : {"TPanel", "TButton", "TTrackBar", "TThumb", "TControl"}) {
    const TMetaClass* C = GetClass(Name);
    ASSERT_NE(C, nullptr) << Name;
    TComponent* Made = C->Create(Root.get());
    EXPECT_EQ(Made->ClassName(), Name);
  }
  EXPECT_TRUE(GetClass("ttrackbar")->InheritsFrom(TCustomTrack::StaticClass()));
}

TEST(ControlClasses, PublishedPropertiesAndDefaults) {
  struct Case {
    const TMetaClass& Class;
    const char* Property;
  };
  const Case Present[] = {
      {TControl::StaticClass(), "Align"},        {TControl::StaticClass(), "Anchors"},
      {TControl::StaticClass(), "Size.Width"},   {TControl::StaticClass(), "Position.Y"},
      {TControl::StaticClass(), "Margins.Left"}, {TControl::StaticClass(), "Padding.Bottom"},
      {TControl::StaticClass(), "OnMouseDown"},  {TTrackBar::StaticClass(), "Orientation"},
      {TTrackBar::StaticClass(), "OnTracking"},  {TTrackBar::StaticClass(), "StyleLookup"},
      {TButton::StaticClass(), "Text"},          {TButton::StaticClass(), "OnClick"},
      {TButton::StaticClass(), "Default"},       {TPanel::StaticClass(), "TabOrder"},
  };
  for (const Case& C : Present) {
    std::string Path = C.Property;
    const TMetaClass* M = &C.Class;
    size_t Dot = Path.find('.');
    const TPropInfo* P = M->FindProperty(Path.substr(0, Dot));
    ASSERT_NE(P, nullptr) << C.Class.Name() << "." << Path;
    if (Dot != std::string::npos) {
      ASSERT_EQ(P->Kind(), TTypeKind::Class);
      EXPECT_NE(P->Type->ClassType()->FindProperty(Path.substr(Dot + 1)), nullptr) << Path;
    }
  }
  // Unpublished: the viewport size and small change of the slider.
  EXPECT_EQ(TTrackBar::StaticClass().FindProperty("ViewportSize"), nullptr);
  EXPECT_EQ(TTrackBar::StaticClass().FindProperty("SmallChange"), nullptr);

  TRootPtr Root{new TTestRoot()};
  auto* Track = new TTrackBar(Root.get());
  auto* Button = new TButton(Root.get());
  // A fresh control stores nothing but what differs from its class defaults.
  for (TControl* C : {static_cast<TControl*>(Track), static_cast<TControl*>(Button)})
    for (const TPropInfo* P : C->ClassType().AllProperties())
      if (P->Kind() != TTypeKind::Class) {
        EXPECT_FALSE(P->ShouldStore(C)) << C->ClassName() << "." << P->Name;
      }
  EXPECT_EQ(TTrackBar::StaticClass().FindProperty("CanFocus")->OrdDefault, 1);
  EXPECT_EQ(TControl::StaticClass().FindProperty("CanFocus")->OrdDefault, 0);
  EXPECT_EQ(*TTrackBar::StaticClass().FindProperty("Max")->FloatDefault, 100);
}

TEST(ControlClasses, StoredValuesGoThroughTheSetters) {
  TRootPtr Root{new TTestRoot()};
  auto* Track = new TTrackBar(Root.get());
  Track->SetParent(Root.get());
  struct Assign {
    const char* Path;
    long double Value;
  };
  for (Assign A : {Assign{"Size.Width", 554}, Assign{"Size.Height", 20}, Assign{"Position.Y", 7},
                   Assign{"Max", 180}, Assign{"Min", -180}, Assign{"Margins.Left", 3}}) {
    TObject* Target = Track;
    const TPropInfo* P = Resolve(Target, A.Path);
    ASSERT_NE(P, nullptr) << A.Path;
    P->SetFloat(Target, A.Value);
  }
  TObject* Target = Track;
  Resolve(Target, "Size.PlatformDefault")->SetOrd(Target, 0);
  Target = Track;
  const TPropInfo* Align = Resolve(Target, "Align");
  Align->SetOrd(Target, Align->Type->IndexOfName("Client"));
  Target = Track;
  const TPropInfo* Orientation = Resolve(Target, "Orientation");
  EXPECT_EQ(Orientation->Type->Names[static_cast<size_t>(Orientation->GetOrd(Target))], "Horizontal");
  EXPECT_EQ(Track->Align(), TAlignLayout::Client);
  EXPECT_EQ(Track->Anchors().Bits(), AnchorAllSides.Bits());
  EXPECT_FLOAT_EQ(Track->Width(), 634 - 3);  // laid out by the root at once, within its margin
  EXPECT_FLOAT_EQ(Track->Min(), -180);
  EXPECT_FLOAT_EQ(Track->Margins()->Left(), 3);
  // Anchors that follow Align are not stored; the size is, without the platform default.
  EXPECT_FALSE(TControl::StaticClass().FindProperty("Anchors")->ShouldStore(Track));
  EXPECT_TRUE(TControlSize::StaticClass().FindProperty("Width")->ShouldStore(Track->Size()));
  EXPECT_FALSE(TControl::StaticClass().FindProperty("Width")->ShouldStore(Track));
}

// Records resize notifications and the paint order.
class TProbe : public TControl {
 public:
  using TControl::TControl;
  std::vector<std::string>* Log = nullptr;
  int Resizes = 0;

 protected:
  void Resize() override {
    ++Resizes;
    TControl::Resize();
  }
  void Paint() override {
    if (Log) Log->push_back(Name());
  }
};

TEST(ControlBounds, ChangesBelowTheToleranceAreIgnored) {
  TRootPtr Root{new TTestRoot()};
  auto* C = new TProbe(Root.get());
  C->SetParent(Root.get());
  C->SetBounds(10, 10, 100, 50);
  EXPECT_EQ(C->Resizes, 1);
  C->SetBounds(10.0005f, 10, 100.0009f, 50);
  EXPECT_EQ(C->Resizes, 1);
  EXPECT_FLOAT_EQ(C->Position()->X(), 10);
  C->SetBounds(10, 10, 100.002f, 50);
  EXPECT_EQ(C->Resizes, 2);
  C->SetBounds(0, 0, -5, -1);
  EXPECT_FLOAT_EQ(C->Width(), 0);
  EXPECT_FLOAT_EQ(C->Height(), 0);
}

TEST(ControlBounds, DefaultSizesAndPlatformDefault) {
  TRootPtr Root{new TTestRoot()};
  struct Case {
    TControl* C;
    float W, H;
  };
  for (Case K : {Case{new TControl(Root.get()), 50, 50}, Case{new TPanel(Root.get()), 120, 120},
                 Case{new TButton(Root.get()), 80, 22}, Case{new TTrackBar(Root.get()), 100, 20}}) {  // no device information here
    EXPECT_FLOAT_EQ(K.C->Width(), K.W) << K.C->ClassName();
    EXPECT_FLOAT_EQ(K.C->Height(), K.H) << K.C->ClassName();
    EXPECT_TRUE(K.C->Size()->PlatformDefault());
  }
  auto* C = new TProbe(Root.get());
  C->Size()->SetHeight(50);  // the same value: the platform default stays
  EXPECT_TRUE(C->Size()->PlatformDefault());
  C->Size()->SetWidth(70);
  EXPECT_FALSE(C->Size()->PlatformDefault());
  EXPECT_FLOAT_EQ(C->Width(), 70);
  EXPECT_EQ(C->Resizes, 1);
  C->SetBounds(0, 0, 70, 80);  // layout leaves the platform default too
  EXPECT_FLOAT_EQ(C->Size()->Height(), 80);
  C->Size()->SetPlatformDefault(true);
  EXPECT_FLOAT_EQ(C->Width(), 50);
  EXPECT_FLOAT_EQ(C->Height(), 50);
}

TEST(ControlLayout, AlignWhileLoadingWaitsForLoaded) {
  TRootPtr Root{new TTestRoot()};
  auto* Parent = new TControl(Root.get());
  Parent->SetParent(Root.get());
  Parent->SetBounds(0, 0, 200, 100);
  auto* Child = new TControl(Root.get());
  Parent->IncludeState(csLoading);
  Child->IncludeState(csLoading);
  Child->SetParent(Parent);
  Child->SetAlign(TAlignLayout::Right);
  EXPECT_EQ(Child->Anchors().Bits(), AnchorAlign(TAlignLayout::Right).Bits());
  EXPECT_FLOAT_EQ(Child->Position()->X(), 0);
  Child->Loaded();
  Parent->Loaded();
  EXPECT_FLOAT_EQ(Child->Position()->X(), 150);
  EXPECT_FLOAT_EQ(Child->Height(), 100);
}

TEST(ControlLayout, ParentResizeMarginsAndPaddingRelayout) {
  TRootPtr Root{new TTestRoot()};
  auto* Parent = new TControl(Root.get());
  Parent->SetParent(Root.get());
  Parent->SetBounds(0, 0, 200, 100);
  auto* Child = new TControl(Root.get());
  Child->SetParent(Parent);
  Child->SetAlign(TAlignLayout::Client);
  EXPECT_EQ(Child->BoundsRect(), TRectF(0, 0, 200, 100));
  Parent->SetBounds(0, 0, 300, 50);
  EXPECT_EQ(Child->BoundsRect(), TRectF(0, 0, 300, 50));
  Child->Margins()->SetLeft(10);
  EXPECT_EQ(Child->BoundsRect(), TRectF(10, 0, 300, 50));
  Parent->Padding()->SetTop(5);
  EXPECT_EQ(Child->BoundsRect(), TRectF(10, 5, 300, 50));
  // Moving an aligned child puts it back at once.
  Child->Position()->SetX(40);
  EXPECT_FLOAT_EQ(Child->Position()->X(), 10);
  // Updates hold the layout until the outermost EndUpdate.
  Parent->BeginUpdate();
  Parent->BeginUpdate();
  Parent->SetBounds(0, 0, 100, 50);
  EXPECT_FLOAT_EQ(Child->Width(), 290);
  Parent->EndUpdate();
  EXPECT_FLOAT_EQ(Child->Width(), 290);
  Parent->EndUpdate();
  EXPECT_FLOAT_EQ(Child->Width(), 90);
}

TEST(ControlLayout, AnchoredChildKeepsItsDistances) {
  TRootPtr Root{new TTestRoot()};
  auto* Parent = new TControl(Root.get());
  Parent->SetParent(Root.get());
  Parent->SetBounds(0, 0, 200, 100);
  auto* Right = new TControl(Root.get());
  Right->SetParent(Parent);
  Right->SetBounds(150, 10, 30, 20);
  Right->SetAnchors({akTop, akRight});
  auto* Stretch = new TControl(Root.get());
  Stretch->SetParent(Parent);
  Stretch->SetBounds(10, 40, 180, 20);
  Stretch->SetAnchors({akLeft, akTop, akRight, akBottom});
  Parent->SetBounds(0, 0, 300, 150);
  EXPECT_EQ(Right->BoundsRect(), TRectF(250, 10, 280, 30));
  EXPECT_EQ(Stretch->BoundsRect(), TRectF(10, 40, 290, 110));
  Parent->SetBounds(0, 0, 200, 100);
  EXPECT_EQ(Right->BoundsRect(), TRectF(150, 10, 180, 30));
  EXPECT_EQ(Stretch->BoundsRect(), TRectF(10, 40, 190, 60));
}

TEST(ControlPaint, RepaintAndInvalidateInRootCoordinates) {
  TRootPtr Root{new TTestRoot()};
  auto* Parent = new TControl(Root.get());
  Parent->SetParent(Root.get());
  Parent->SetBounds(100, 200, 50, 50);
  auto* Child = new TControl(Root.get());
  Child->SetParent(Parent);
  Child->SetBounds(5, 6, 10, 10);
  Root->Updates.clear();
  Child->Repaint();
  ASSERT_EQ(Root->Updates.size(), 1u);
  EXPECT_EQ(Root->Updates[0], TRectF(105, 206, 115, 216));
  Child->InvalidateRect(TRectF(1, 1, 2, 3));
  EXPECT_EQ(Root->Updates[1], TRectF(106, 207, 107, 209));
  Parent->Scale()->SetPoint(TPointF(2, 2));
  EXPECT_EQ(Child->AbsoluteRect(), TRectF(110, 212, 130, 232));
  EXPECT_EQ(Child->AbsoluteToLocal(TPointF(112, 214)), TPointF(1, 1));
  // An invisible control or one outside any root marks nothing.
  Root->Updates.clear();
  Parent->SetVisible(false);
  size_t AfterHide = Root->Updates.size();
  Child->Repaint();
  EXPECT_EQ(Root->Updates.size(), AfterHide);
  auto* Loose = new TControl(Root.get());
  Loose->Repaint();
  EXPECT_EQ(Loose->Root(), nullptr);
  EXPECT_EQ(Root->Updates.size(), AfterHide);
}

TEST(ControlPaint, ParentsPaintBeforeChildrenAndInvisibleSubtreesNot) {
  TRootPtr Root{new TTestRoot()};
  std::vector<std::string> Log;
  auto Make = [&](const char* Name, TTreeObject* Parent) {
    auto* P = new TProbe(Root.get());
    P->SetName(Name);
    P->Log = &Log;
    P->SetParent(Parent);
    return P;
  };
  TProbe* A = Make("A", Root.get());
  Make("A1", A);
  TProbe* A2 = Make("A2", A);
  Make("A21", A2);
  Make("A3", A);
  A2->SetVisible(false);
  A->PaintInternal();
  EXPECT_EQ(Log, (std::vector<std::string>{"A", "A1", "A3"}));
}

TEST(ControlFocus, FocusClimbsThroughControlsThatPassItOn) {
  TRootPtr Root{new TTestRoot()};
  auto* Panel = new TPanel(Root.get());
  Panel->SetParent(Root.get());
  auto* Inner = new TControl(Root.get());
  Inner->SetParent(Panel);
  Inner->SetFocus();
  EXPECT_EQ(Root->GetFocused(), nullptr);  // neither focuses nor passes it on
  Inner->SetCanParentFocus(true);
  Inner->SetFocus();
  EXPECT_EQ(Root->GetFocused(), nullptr);  // the panel cannot take it
  Panel->SetCanFocus(true);
  Inner->SetFocus();
  EXPECT_EQ(Root->GetFocused(), Panel);
  Panel->SetEnabled(false);
  EXPECT_EQ(Root->GetFocused(), nullptr);
  Inner->SetFocus();
  EXPECT_EQ(Root->GetFocused(), nullptr);
}

TEST(ControlFocus, EnterAndExitFireAsTheFocusMoves) {
  TRootPtr Root{new TTestRoot()};
  std::vector<std::string> Log;
  struct TLog : TObject {
    std::vector<std::string>* Out;
    void Enter(TObject* S) { Out->push_back("enter " + static_cast<TComponent*>(S)->Name()); }
    void Exit(TObject* S) { Out->push_back("exit " + static_cast<TComponent*>(S)->Name()); }
  } L;
  L.Out = &Log;
  auto* A = new TButton(Root.get());
  auto* B = new TButton(Root.get());
  A->SetName("A");
  B->SetName("B");
  for (TButton* X : {A, B}) {
    X->SetParent(Root.get());
    X->OnEnter = TNotifyEvent(&L, &TLog::Enter);
    X->OnExit = TNotifyEvent(&L, &TLog::Exit);
  }
  A->SetFocus();
  B->SetFocus();
  B->SetFocus();
  B->ResetFocus();
  EXPECT_EQ(Log, (std::vector<std::string>{"enter A", "exit A", "enter B", "exit B"}));
}

}  // namespace
