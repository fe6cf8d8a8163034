#include "shell/forms/Form.h"

#include <cmath>
#include <functional>

#include "shell/canvas/CanvasManager.h"
#include "shell/controls/BackgroundStyle.h"
#include "shell/core/Exceptions.h"
#include "shell/core/Filer.h"
#include "shell/core/Messaging.h"
#include "shell/core/PlatformServices.h"
#include "shell/core/ScopeExit.h"
#include "shell/forms/FormMessages.h"
#include "shell/forms/Screen.h"
#include "shell/styles/StyleBook.h"
#include "shell/styles/StyleLookup.h"
#include "shell/styles/StyleManager.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"

namespace TypeInfos {
const TTypeInfo& FormPosition() {
  static const TTypeInfo T = MakeNamedType("TFormPosition", TTypeKind::Enumeration,
                                       {"Designed", "Default", "DefaultPosOnly", "DefaultSizeOnly", "ScreenCenter",
                                        "DesktopCenter", "MainFormCenter", "OwnerFormCenter"});
  return T;
}
const TTypeInfo& FormBorderStyle() {
  static const TTypeInfo T = MakeNamedType("TFormBorderStyle", TTypeKind::Enumeration,
                                       {"None", "Single", "Sizeable", "ToolWindow", "SizeToolWin"});
  return T;
}
const TTypeInfo& BorderIcons() {
  static const TTypeInfo T =
      MakeNamedType("TBorderIcons", TTypeKind::Set, {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"});
  return T;
}
const TTypeInfo& WindowState() {
  static const TTypeInfo T =
      MakeNamedType("TWindowState", TTypeKind::Enumeration, {"wsNormal", "wsMinimized", "wsMaximized"});
  return T;
}
const TTypeInfo& FormStyle() {
  static const TTypeInfo T = MakeNamedType("TFormStyle", TTypeKind::Enumeration, {"Normal", "Popup", "StayOnTop"});
  return T;
}
const TTypeInfo& CloseEvent() {
  static const TTypeInfo T = MakeNamedType("TCloseEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& CloseQueryEvent() {
  static const TTypeInfo T = MakeNamedType("TCloseQueryEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& CanvasQuality() {
  static const TTypeInfo T =
      MakeNamedType("TCanvasQuality", TTypeKind::Enumeration, {"SystemDefault", "HighPerformance", "HighQuality"});
  return T;
}
}  // namespace TypeInfos

// ---------------------------------------------------------------------------------------------
// TCommonCustomForm

const TMetaClass& TCommonCustomForm::StaticClass() {
  return ClassRecord<TCommonCustomForm>("TCommonCustomForm", &TTreeObject::StaticClass(), [](auto&) {});
}

TCommonCustomForm::TCommonCustomForm(TComponent* AOwner) : TTreeObject(AOwner), FLoadsDescription(true) {
  InitCommon();
  // Root names stay unique among the forms alive.
  RegisterGlobalComponent(this);
}

TCommonCustomForm::TCommonCustomForm(TComponent* AOwner, TCreateNew)
    : TTreeObject(AOwner), FLoadsDescription(false) {
  InitCommon();
  try {
    // Without a description there is nothing to preload: only the defaults apply.
    TCommonCustomForm::SetPreloadProperties({});
    TCommonCustomForm::InitializeNewForm();
  } catch (...) {
    // The destructor does not run for a constructor that fails.
    TScreen::Current().RemoveForm(this);
    DestroyHandle();
    throw;
  }
  // Root names stay unique among the forms alive.
  RegisterGlobalComponent(this);
}

void TCommonCustomForm::InitCommon() {
  FWinService = &TPlatformServices::Current().Get<IWindowService>();
  FFormState.Include(TFormState::WasNotShown);
  FFormFactor = std::make_unique<TFormFactor>();
  FPadding = std::make_unique<TBounds>();
  FPadding->OnChange = TNotifyEvent(this, &TCommonCustomForm::PaddingChanged);
  FInput.OnFormKeyDown = [this](uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
    OnKeyDown(this, Key, KeyChar, Shift);
  };
  FInput.OnFormKeyUp = [this](uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
    OnKeyUp(this, Key, KeyChar, Shift);
  };
  FInput.OnFormMouseWheel = [this](TShiftState Shift, int WheelDelta, bool& Handled) {
    OnMouseWheel(this, Shift, WheelDelta, Handled);
  };
}

TCommonCustomForm::~TCommonCustomForm() {
  UnregisterGlobalComponent(this);
  TScreen::Current().RemoveForm(this);
  DestroyHandle();
}

void TCommonCustomForm::AfterConstruction() {
  if (FConstructed) return;
  FConstructed = true;
  if (FLoadsDescription) {
    PreloadProperties();
    InitializeNewForm();
    LoadStoredDescription();
  }
  ResizeHandle();
  FBoundChanges = {};
  DoCreate();
  Resize();
  // A form stored or built as visible appears now that it is complete.
  if (FVisible && !FFormState.Contains(TFormState::Showing) && FHandle) {
    FVisible = false;
    Show();
  }
}

void TCommonCustomForm::PreloadProperties() {
  std::vector<std::string> Names;
  AddPreloadPropertyNames(Names);
  auto Wanted = [&](const std::string& Name) {
    for (const std::string& N : Names)
      if (SameText(N, Name)) return true;
    return false;
  };
  // The descriptions of the class chain below the form base, the most basic class first, so
  // that a derived class's value wins.
  std::vector<const TMetaClass*> Chain;
  for (const TMetaClass* C = &ClassType(); C && C != &TCommonCustomForm::StaticClass(); C = C->Parent())
    Chain.insert(Chain.begin(), C);
  std::map<std::string, std::string> Values;
  for (const TMetaClass* C : Chain) {
    auto Data = FindResource(C->Name(), RT_RCDATA);
    if (!Data) continue;
    TBufferStream Stream(Data->data(), Data->size());
    TReader Reader(Stream);
    try {
      Reader.ReadSignature();
      TFilerFlags Flags;
      int ChildPos = 0;
      Reader.ReadPrefix(Flags, ChildPos);
      Reader.ReadStr();  // class name
      Reader.ReadStr();  // root name
      while (!Reader.EndOfList()) {
        std::string Name = Reader.ReadStr();
        if (!Wanted(Name)) {
          Reader.SkipValue();
          continue;
        }
        TValueType Tag = Reader.NextValue();
        if (Tag == vaFalse || Tag == vaTrue)
          Values[Name] = Reader.ReadBoolean() ? "True" : "False";
        else if (Tag == vaIdent)
          Values[Name] = Reader.ReadIdent();
        else
          Reader.SkipValue();
      }
    } catch (const EReadError&) {
      // The load reads the same bytes and reports the fault with the record it is in ("Error
      // reading F.Caption: ..."); the scan keeps what it found before it.
    }
  }
  SetPreloadProperties(Values);
}

void TCommonCustomForm::AddPreloadPropertyNames(std::vector<std::string>& Names) {
  for (const char* N : {"FormStyle", "BorderStyle", "EnableBorderStyling", "Border.Styling"}) Names.push_back(N);
}

void TCommonCustomForm::SetPreloadProperties(const std::map<std::string, std::string>& Values) {
  FBorderStyling = true;
  FBorderStyle = TFormBorderStyle::Sizeable;
  for (const auto& [Name, Value] : Values) {
    if (SameText(Name, "EnableBorderStyling") || SameText(Name, "Border.Styling")) {
      FBorderStyling = SameText(Value, "True");
      continue;
    }
    const TPropInfo* Prop = ClassType().FindProperty(Name);
    if (!Prop || !Prop->SetOrd || Prop->Kind() != TTypeKind::Enumeration) continue;
    int Ordinal = Prop->Type->IndexOfName(Value);
    if (Ordinal >= 0) Prop->SetOrd(this, Ordinal);
  }
}

void TCommonCustomForm::InitializeNewForm() {
  FWidth = 640;
  FHeight = 480;
  FBorderIcons = {biSystemMenu, biMinimize, biMaximize};
  FPosition = TFormPosition::DefaultPosOnly;
  FFormFactor->SetWidth(320);
  FFormFactor->SetHeight(480);
  CreateHandle();
  TScreen::Current().AddForm(this);
}

void TCommonCustomForm::LoadStoredDescription() {
  if (&ClassType() == &TCommonCustomForm::StaticClass()) return;
  if (!InitInheritedComponent(this, TCommonCustomForm::StaticClass()))
    throw EResNotFound(Format("Resource %s not found", {ClassName()}));
}

void TCommonCustomForm::CreateHandle() {
  FHandle = FWinService->CreateWindow(this);
  FHandleState = THandleState::Normal;
  // The system placed and sized the new window: remember that as the default placement.
  FDefaultWindowRect = FWinService->GetWindowRect(this);
  FDefaultClientSize = FWinService->GetClientSize(this);
  if (FOriginalContainerSize.Width <= 0) FOriginalContainerSize = FDefaultClientSize;
}

void TCommonCustomForm::DestroyHandle() {
  if (!FHandle) return;
  FWinService->DestroyWindow(this);
  FHandle = nullptr;
}

void TCommonCustomForm::HandleNeeded() {
  if (FHandle && FHandleState == THandleState::Normal) return;
  DestroyHandle();
  CreateHandle();
  FWinService->SetWindowCaption(this, FCaption);
}

void TCommonCustomForm::BeforeDestruction() {
  if (!IsDestroying()) {
    // OnDestroy sees the form still whole, with all its components.
    if (OnDestroy) OnDestroy(this);
  }
  TTreeObject::BeforeDestruction();
}

void TCommonCustomForm::Loaded() {
  TTreeObject::Loaded();
  // The stored client size is the one the children were designed for.
  FOriginalContainerSize = GetAlignParentSize();
}

void TCommonCustomForm::DoCreate() {
  if (OnCreate) OnCreate(this);
}

void TCommonCustomForm::Resize() {
  if (OnResize) OnResize(this);
}

void TCommonCustomForm::ResizeHandle() { Realign(); }

void TCommonCustomForm::Realign() {
  if (!FHandle || IsLoading() || IsDestroying()) return;
  TSizeF Size = GetAlignParentSize();
  FAlignedSize = Size;
  if (FLastWidth <= 0) FLastWidth = FOriginalContainerSize.Width;
  if (FLastHeight <= 0) FLastHeight = FOriginalContainerSize.Height;
  AlignObjects(this, FPadding.get(), Size.Width, Size.Height, FLastWidth, FLastHeight, FDisableAlign);
}

TSizeF TCommonCustomForm::GetAlignParentSize() const {
  return {static_cast<float>(ClientWidth()), static_cast<float>(ClientHeight())};
}

float TCommonCustomForm::GetSceneScale() { return FHandle ? FWinService->GetWindowScale(this) : 1.0f; }

void TCommonCustomForm::InvalidateRect(const TRectF& R) {
  if (FHandle) FWinService->InvalidateWindowRect(this, R);
}

void TCommonCustomForm::PaintRects(const std::vector<TRectF>&) {}

void TCommonCustomForm::RequestFrame(TControl* Control) {
  if (FHandle && FWinService->RequestFramePaint(this)) return;
  IRoot::RequestFrame(Control);
}

void TCommonCustomForm::PrepareFrames() {
  std::function<void(TTreeObject*)> Prepare = [&Prepare](TTreeObject* Object) {
    for (TTreeObject* Child : Object->ChildList()) {
      if (auto* C = dynamic_cast<TControl*>(Child)) {
        if (!C->Visible()) continue;
        C->PrepareFrame();
      }
      Prepare(Child);
    }
  };
  Prepare(this);
}

void TCommonCustomForm::HandleWindowPosChanged(TWindowState State) {
  FWindowState = State;
  UpdateBoundsFromWindow();
}

void TCommonCustomForm::HandleScaleChanged() {
  const float Scale = GetSceneScale();
  TMessageManager::DefaultManager().SendMessage(this, TScaleChangedMessage(Scale));
  // The logical client size may have moved by a rounding step.
  UpdateBoundsFromWindow();
}

TRectF TCommonCustomForm::ClientRect() const {
  if (!FHandle) return {};
  TSizeF S = FWinService->GetClientSize(const_cast<TCommonCustomForm*>(this));
  return {0, 0, S.Width, S.Height};
}

void TCommonCustomForm::StoreBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  bool Moved = ALeft != FLeft || ATop != FTop;
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  if (!IsLoading() && !FFormState.Contains(TFormState::Showing)) {
    if (Moved) FBoundChanges.Include(TBoundChange::Location);
    if (Sized) FBoundChanges.Include(TBoundChange::Size);
  }
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
}

void TCommonCustomForm::SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight) {
  bool Sized = AWidth != FWidth || AHeight != FHeight;
  if (ALeft == FLeft && ATop == FTop && !Sized) return;
  StoreBounds(ALeft, ATop, AWidth, AHeight);
  if (!FHandle) return;
  TRectF Window = FWinService->GetWindowRect(this);
  // Until the first show the window stays where the system put it; only its size follows.
  TPointF Origin = FFormState.Contains(TFormState::WasNotShown)
                       ? Window.TopLeft()
                       : TPointF(static_cast<float>(FLeft), static_cast<float>(FTop));
  FWinService->SetWindowRect(
      this, TRectF::FromSize(Origin, TSizeF(static_cast<float>(FWidth), static_cast<float>(FHeight))));
  if (Sized && !IsLoading()) {
    ResizeHandle();
    Resize();
  }
}

void TCommonCustomForm::UpdateBoundsFromWindow() {
  TRectF R = FWinService->GetWindowRect(this);
  auto Whole = [](float V) { return static_cast<int32_t>(std::nearbyint(V)); };
  bool Placed = !FFormState.Contains(TFormState::WasNotShown);
  int32_t NewWidth = Whole(R.Width()), NewHeight = Whole(R.Height());
  bool Sized = NewWidth != FWidth || NewHeight != FHeight;
  StoreBounds(Placed ? Whole(R.Left) : FLeft, Placed ? Whole(R.Top) : FTop, NewWidth, NewHeight);
  // At a fractional scale the client size can change by a whole logical pixel while the
  // outer size, rounded, stays: the layout follows the client size.
  if (!(GetAlignParentSize() == FAlignedSize)) Sized = true;
  if (Sized && !IsLoading()) {
    ResizeHandle();
    Resize();
  }
}

int32_t TCommonCustomForm::ClientWidth() const {
  if (!FHandle) return FWidth;
  return static_cast<int32_t>(std::nearbyint(FWinService->GetClientSize(const_cast<TCommonCustomForm*>(this)).Width));
}

int32_t TCommonCustomForm::ClientHeight() const {
  if (!FHandle) return FHeight;
  return static_cast<int32_t>(std::nearbyint(FWinService->GetClientSize(const_cast<TCommonCustomForm*>(this)).Height));
}

void TCommonCustomForm::SetClientWidth(int32_t Value) {
  if (!FHandle) {
    SetWidth(Value);
    return;
  }
  TSizeF Client = FWinService->GetClientSize(this);
  if (static_cast<float>(Value) == Client.Width) return;
  FWinService->SetClientSize(this, TSizeF(static_cast<float>(Value), Client.Height));
  UpdateBoundsFromWindow();
}

void TCommonCustomForm::SetClientHeight(int32_t Value) {
  if (!FHandle) {
    SetHeight(Value);
    return;
  }
  TSizeF Client = FWinService->GetClientSize(this);
  if (static_cast<float>(Value) == Client.Height) return;
  FWinService->SetClientSize(this, TSizeF(Client.Width, static_cast<float>(Value)));
  UpdateBoundsFromWindow();
}

void TCommonCustomForm::SetCaption(const std::string& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  if (FHandle) FWinService->SetWindowCaption(this, FCaption);
}

void TCommonCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  if (FHandle) FHandleState = THandleState::NeedRecreate;
}

void TCommonCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == FBorderIcons) return;
  FBorderIcons = Value;
  if (FHandle) FHandleState = THandleState::NeedRecreate;
}

void TCommonCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == FFormStyle) return;
  FFormStyle = Value;
  if (FHandle) FHandleState = THandleState::NeedRecreate;
}

void TCommonCustomForm::SetVisible(bool Value) {
  if (Value == FVisible) return;
  if (IsLoading() || !FConstructed) {
    // Shown once construction is complete, after OnCreate.
    FVisible = Value;
    return;
  }
  if (Value)
    Show();
  else
    Hide();
}

void TCommonCustomForm::PlaceForFirstShow() {
  TFormPosition Pos = FPosition;
  TCommonCustomForm* MainForm = TScreen::Current().MainForm();
  auto* OwnerForm = dynamic_cast<TCommonCustomForm*>(Parent() ? static_cast<TComponent*>(Parent()) : Owner());
  if ((Pos == TFormPosition::MainFormCenter && (!MainForm || MainForm == this)) ||
      (Pos == TFormPosition::OwnerFormCenter && !OwnerForm))
    Pos = TFormPosition::ScreenCenter;
  if (FBoundChanges.Contains(TBoundChange::Location)) {
    if (Pos == TFormPosition::Default)
      Pos = TFormPosition::DefaultSizeOnly;
    else if (Pos != TFormPosition::Designed && Pos != TFormPosition::DefaultSizeOnly)
      Pos = TFormPosition::Designed;
  }
  if (FBoundChanges.Contains(TBoundChange::Size)) {
    if (Pos == TFormPosition::Default)
      Pos = TFormPosition::DefaultPosOnly;
    else if (Pos == TFormPosition::DefaultSizeOnly)
      Pos = TFormPosition::Designed;
  }

  auto Whole = [](float V) { return static_cast<int32_t>(std::nearbyint(V)); };
  const TRectF& D = FDefaultWindowRect;
  int32_t L = FLeft, T = FTop, W = FWidth, H = FHeight;
  auto CentreIn = [&](const TRectF& Area) {
    L = Whole((Area.Width() - static_cast<float>(W)) / 2 + Area.Left);
    T = Whole((Area.Height() - static_cast<float>(H)) / 2 + Area.Top);
  };
  switch (Pos) {
    case TFormPosition::Designed:
      break;
    case TFormPosition::Default:
      L = Whole(D.Left), T = Whole(D.Top), W = Whole(D.Width()), H = Whole(D.Height());
      break;
    case TFormPosition::DefaultPosOnly:
      L = Whole(D.Left), T = Whole(D.Top);
      break;
    case TFormPosition::DefaultSizeOnly:
      W = Whole(D.Width()), H = Whole(D.Height());
      break;
    case TFormPosition::ScreenCenter:
      CentreIn(TPlatformServices::Current().Get<IScreenService>().GetWorkArea());
      break;
    case TFormPosition::MainFormCenter:
      CentreIn(TRectF::FromSize({static_cast<float>(MainForm->Left()), static_cast<float>(MainForm->Top())},
                                {static_cast<float>(MainForm->Width()), static_cast<float>(MainForm->Height())}));
      break;
    case TFormPosition::OwnerFormCenter:
      CentreIn(TRectF::FromSize({static_cast<float>(OwnerForm->Left()), static_cast<float>(OwnerForm->Top())},
                                {static_cast<float>(OwnerForm->Width()), static_cast<float>(OwnerForm->Height())}));
      break;
    case TFormPosition::DesktopCenter: {
      TSizeF Screen = TPlatformServices::Current().Get<IScreenService>().GetScreenSize();
      CentreIn(TRectF(0, 0, Screen.Width, Screen.Height));
      break;
    }
  }
  // The form's position counts from here on, so the window moves with it.
  FFormState.Exclude(TFormState::WasNotShown);
  StoreBounds(L, T, W, H);
  FWinService->SetWindowRect(this, TRectF::FromSize({static_cast<float>(L), static_cast<float>(T)},
                                                    {static_cast<float>(W), static_cast<float>(H)}));
}

void TCommonCustomForm::Show() {
  if (FFormState.Contains(TFormState::Showing)) return;
  FFormState.Include(TFormState::Showing);
  TScopeExit EndShowing([this] {
    FFormState.Exclude(TFormState::WasNotShown);
    FFormState.Exclude(TFormState::Showing);
  });
  HandleNeeded();
  if (FFormState.Contains(TFormState::WasNotShown)) PlaceForFirstShow();
  TMessageManager::DefaultManager().SendMessage(this, TFormBeforeShownMessage());
  FWinService->ShowWindow(this);
  FVisible = true;
  if (OnShow) OnShow(this);
  Activate();
}

void TCommonCustomForm::Hide() {
  if (!FVisible) return;
  if (FHandle) FWinService->HideWindow(this);
  FVisible = false;
  if (OnHide) OnHide(this);
  Deactivate();
}

void TCommonCustomForm::Activate() {
  if (FActive) return;
  TScreen& Screen = TScreen::Current();
  if (Screen.ActiveForm() && Screen.ActiveForm() != this) Screen.ActiveForm()->Deactivate();
  FActive = true;
  Screen.SetActiveForm(this);
  if (OnActivate) OnActivate(this);
}

void TCommonCustomForm::Deactivate() {
  if (!FActive) return;
  FActive = false;
  if (TScreen::Current().ActiveForm() == this) TScreen::Current().SetActiveForm(nullptr);
  if (OnDeactivate) OnDeactivate(this);
}

bool TCommonCustomForm::CloseQuery() {
  bool CanClose = true;
  if (OnCloseQuery) OnCloseQuery(this, CanClose);
  return CanClose;
}

void TCommonCustomForm::DoClose(TCloseAction& Action) {
  if (OnClose) OnClose(this, Action);
}

void TCommonCustomForm::Close() {
  if (FFormState.Contains(TFormState::Closing)) return;
  TCloseAction Action = caNone;
  {
    FFormState.Include(TFormState::Closing);
    TScopeExit EndClosing([this] { FFormState.Exclude(TFormState::Closing); });
    if (!CloseQuery()) return;
    Action = caHide;
    DoClose(Action);
  }
  if (Action == caNone) return;
  TScreen& Screen = TScreen::Current();
  if (Screen.MainForm() == this) {
    Screen.Application()->Terminate();
    return;
  }
  switch (Action) {
    case caHide:
      Hide();
      break;
    case caMinimize:
      SetWindowState(wsMinimized);
      break;
    case caFree:
      Release();
      break;
    case caNone:
      break;
  }
}

void TCommonCustomForm::Release() {
  auto* Service = TPlatformServices::Current().Find<IApplicationService>();
  if (!Service) {
    Free();
    return;
  }
  TCommonCustomForm* Form = this;
  Service->PostCall([Form] {
    // Freed meanwhile by someone else: nothing to do.
    TScreen& Screen = TScreen::Current();
    for (int I = 0; I < Screen.FormCount(); ++I)
      if (Screen.Forms(I) == Form) {
        Form->Free();
        return;
      }
  });
}

void TCommonCustomForm::DefineProperties(TFiler& Filer) {
  TTreeObject::DefineProperties(Filer);
  auto Ignore = [](auto Read) { return [Read](IValueReader& R) { (R.*Read)(); }; };
  Filer.DefineProperty(
      "TopMost", [this](IValueReader& R) {
        if (R.ReadBoolean()) SetFormStyle(TFormStyle::StayOnTop);
      },
      nullptr, false);
  for (const char* Name : {"ShowActivated", "StaysOpen"})
    Filer.DefineProperty(
        Name, [this](IValueReader& R) {
          if (!R.ReadBoolean()) SetFormStyle(TFormStyle::Popup);
        },
        nullptr, false);
  for (const char* Name : {"DesignerMobile", "EnableBorderStyling"})
    Filer.DefineProperty(Name, Ignore(&IValueReader::ReadBoolean), nullptr, false);
  for (const char* Name : {"DesignerWidth", "DesignerHeight", "DesignerOrientation"})
    Filer.DefineProperty(Name, Ignore(&IValueReader::ReadInteger), nullptr, false);
  Filer.DefineProperty("DesignerOSVersion", Ignore(&IValueReader::ReadString), nullptr, false);
  Filer.DefineProperty(
      "DesignerDeviceName", [this](IValueReader& R) { FDesignerDeviceName = R.ReadString(); },
      [this](IValueWriter& W) { W.WriteString(FDesignerDeviceName); }, !FDesignerDeviceName.empty());
  // The designer records its master style with every form; kept so that a written form
  // matches the stored one.
  Filer.DefineProperty(
      "DesignerMasterStyle", [this](IValueReader& R) { FDesignerMasterStyle = static_cast<int32_t>(R.ReadInteger()); },
      [this](IValueWriter& W) { W.WriteInteger(FDesignerMasterStyle); }, true);
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

const TMetaClass& TCustomForm::StaticClass() {
  return ClassRecord<TCustomForm>("TCustomForm", &TCommonCustomForm::StaticClass(), [](auto&) {});
}

namespace {
std::unique_ptr<TBrush> NewFill() { return std::make_unique<TBrush>(TBrushKind::None, TAlphaColors::White); }
}  // namespace

TCustomForm::TCustomForm(TComponent* AOwner) : TCommonCustomForm(AOwner), FFill(NewFill()) {
  FFill->OnChanged = TNotifyEvent(this, &TCustomForm::FillChanged);
  ListenToStyleChanges();
}

TCustomForm::TCustomForm(TComponent* AOwner, TCreateNew) : TCommonCustomForm(AOwner, TCreateNew{}), FFill(NewFill()) {
  FStyleLookup = "backgroundstyle";
  FFill->OnChanged = TNotifyEvent(this, &TCustomForm::FillChanged);
  ListenToStyleChanges();
}

TCustomForm::~TCustomForm() {
  TMessageManager::DefaultManager().Unsubscribe<TStyleChangedMessage>(FStyleChangedId);
}

void TCustomForm::ListenToStyleChanges() {
  // A new style: the controls and the background take theirs anew at the next paint.
  FStyleChangedId = TMessageManager::DefaultManager().SubscribeToMessage<TStyleChangedMessage>(
      [this](TObject*, const TMessageBase&) {
        if (IsDestroying()) return;
        ReleaseStyles(*this);
        NeedStyleLookup();
      });
}

void TCustomForm::AddPreloadPropertyNames(std::vector<std::string>& Names) {
  TCommonCustomForm::AddPreloadPropertyNames(Names);
  Names.push_back("Quality");
}

void TCustomForm::SetPreloadProperties(const std::map<std::string, std::string>& Values) {
  FQuality = TCanvasQuality::SystemDefault;
  TCommonCustomForm::SetPreloadProperties(Values);
}

void TCustomForm::InitializeNewForm() {
  TCommonCustomForm::InitializeNewForm();
  FStyleLookup = "backgroundstyle";
}

void TCustomForm::SetQuality(TCanvasQuality Value) {
  if (Value == FQuality) return;
  FQuality = Value;
  // The canvas takes its quality when it is made: the next paint makes a new one.
  if (!FPainting) FCanvas.reset();
  InvalidateRect(ClientRect());
}

void TCustomForm::FillChanged(TObject*) {
  // The background style shows only where no brush paints the background.
  if (FResourceLink) FResourceLink->SetVisible(FFill->Kind() == TBrushKind::None);
  InvalidateRect(ClientRect());
}

void TCustomForm::SetStyleLookup(const std::string& Value) {
  if (Value == FStyleLookup) return;
  FStyleLookup = Value;
  NeedStyleLookup();
}

void TCustomForm::NeedStyleLookup() {
  FNeedStyleLookup = true;
  if (TControl* Old = FResourceLink) {
    FResourceLink = nullptr;
    Old->Free();
  }
  InvalidateRect(ClientRect());
}

void TCustomForm::ApplyStyleLookup() {
  if (!FNeedStyleLookup || IsDestroying() || FStyleLookup.empty()) return;
  FNeedStyleLookup = false;
  TControl* Copy = LookupBackgroundStyle(this, StyleBookOf(this), {FStyleLookup});
  if (!Copy) return;
  InsertComponent(Copy);
  Copy->SetVisible(FFill->Kind() == TBrushKind::None);
  Copy->SetIsStyleResource(true);
  FResourceLink = Copy;
  InsertBackgroundStyle(*this, *Copy);
  Realign();
}

void TCustomForm::HandleScaleChanged() {
  // The canvas is made anew for the new scale at the next paint.
  if (!FPainting) FCanvas.reset();
  TCommonCustomForm::HandleScaleChanged();
  InvalidateRect(ClientRect());
}

bool TCustomForm::PrepareCanvas() {
  if (!Handle()) return false;
  TWindowBuffer Buffer = Handle()->Buffer();
  if (!Buffer.Data) return false;
  // The window's pixels move when its size changes, so the canvas is pointed at them anew
  // for every paint.
  if (!FCanvas)
    FCanvas = TCanvasManager::CreateFromWindow(Buffer, FQuality);
  else
    FCanvas->SetWindowBuffer(Buffer);
  return true;
}

void TCustomForm::PaintBackground() {
  if (FFill->Kind() == TBrushKind::None) {
    // Without a background brush the fill colour stands in, so that no stale pixels show.
    FCanvas->Clear(FFill->Color());
    return;
  }
  // A repaint must give the same picture as the first paint: nothing blends with what was
  // there before.
  FCanvas->Clear(0);
  FCanvas->FillRect(ClientRect(), 0, 0, AllCorners, 1, *FFill);
}

void TCustomForm::PaintRects(const std::vector<TRectF>& Rects) {
  if (FPainting || IsDestroying()) return;
  ApplyStyleLookup();
  const TRectF Client = ClientRect();
  std::vector<TRectF> Clip;
  for (const TRectF& R : Rects) {
    TRectF Part = TRectF::Intersect(R, Client);
    if (!Part.IsEmpty()) Clip.push_back(Part);
  }
  if (Clip.empty()) return;
  // The canvas clips to whole device pixels, which at a fractional scale reach up to a logical
  // pixel beyond a marked rectangle: a child ending within that reach shows there too.
  auto Meets = [&Clip](const TRectF& Area) {
    const TRectF Reach(Area.Left - 1, Area.Top - 1, Area.Right + 1, Area.Bottom + 1);
    for (const TRectF& R : Clip)
      if (R.IntersectsWith(Reach)) return true;
    return false;
  };
  std::vector<TControl*> Children;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child); C && C->Visible() && Meets(C->ChildrenRect())) Children.push_back(C);

  FPainting = true;
  TScopeExit EndPainting([this] { FPainting = false; });
  // Styles are applied before the scene opens, so that what they change is laid out first.
  for (TControl* C : Children) C->PrepareForPaint();
  if (!PrepareCanvas()) return;
  TCanvasScene Scene(*FCanvas, &Clip);
  if (!Scene) return;
  PaintBackground();
  for (TControl* C : Children)
    if (C->Visible() && C->Parent() == this) C->PaintInternal();
}

// ---------------------------------------------------------------------------------------------
// TForm

const TMetaClass& TForm::StaticClass() {
  return ClassRecord<TForm>("TForm", &TCustomForm::StaticClass(), [](auto& B) {
    // A plain form loads from a stored description of its own ("TFORM") like any form class.
    B.Creatable();
    B.Property("BorderIcons", &TForm::BorderIcons, &TForm::SetBorderIcons, &TypeInfos::BorderIcons())
        .Default(TBorderIcons{biSystemMenu, biMinimize, biMaximize});
    B.Property("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle, &TypeInfos::FormBorderStyle())
        .Default(TFormBorderStyle::Sizeable);
    B.Property("Caption", &TForm::Caption, &TForm::SetCaption);
    // The client size is what a stored form records; the outer size follows from it.
    B.Property("ClientHeight", &TForm::ClientHeight, &TForm::SetClientHeight);
    B.Property("ClientWidth", &TForm::ClientWidth, &TForm::SetClientWidth);
    B.Property("FormFactor", &TForm::FormFactor, &TForm::SetFormFactor);
    B.Property("Fill", &TForm::Fill, &TForm::SetFill);
    B.Property("FormStyle", &TForm::FormStyle, &TForm::SetFormStyle, &TypeInfos::FormStyle())
        .Default(TFormStyle::Normal);
    B.Property("Height", &TForm::Height, &TForm::SetHeight).Stored([](const TForm&) { return false; });
    B.Property("Left", &TForm::Left, &TForm::SetLeft);
    B.Property("Position", &TForm::Position, &TForm::SetPosition, &TypeInfos::FormPosition())
        .Default(TFormPosition::DefaultPosOnly);
    B.Property("Quality", &TForm::Quality, &TForm::SetQuality, &TypeInfos::CanvasQuality())
        .Default(TCanvasQuality::SystemDefault);
    B.Property("StyleLookup", &TForm::StyleLookup, &TForm::SetStyleLookup)
        .Stored([](const TForm& F) { return F.StyleLookup() != "backgroundstyle"; });
    B.Property("Top", &TForm::Top, &TForm::SetTop);
    B.Property("Visible", &TForm::Visible, &TForm::SetVisible).Default(false);
    B.Property("Width", &TForm::Width, &TForm::SetWidth).Stored([](const TForm&) { return false; });
    B.Property("WindowState", &TForm::WindowState, &TForm::SetWindowState, &TypeInfos::WindowState())
        .Default(wsNormal);
    B.Property("Padding", &TForm::Padding, &TForm::SetPadding);
    B.Event("OnActivate", &TForm::OnActivate);
    B.Event("OnClose", &TForm::OnClose, &TypeInfos::CloseEvent());
    B.Event("OnCloseQuery", &TForm::OnCloseQuery, &TypeInfos::CloseQueryEvent());
    B.Event("OnCreate", &TForm::OnCreate);
    B.Event("OnDeactivate", &TForm::OnDeactivate);
    B.Event("OnDestroy", &TForm::OnDestroy);
    B.Event("OnHide", &TForm::OnHide);
    B.Event("OnKeyDown", &TForm::OnKeyDown, &TypeInfos::KeyEvent());
    B.Event("OnKeyUp", &TForm::OnKeyUp, &TypeInfos::KeyEvent());
    B.Event("OnMouseWheel", &TForm::OnMouseWheel, &TypeInfos::MouseWheelEvent());
    B.Event("OnResize", &TForm::OnResize);
    B.Event("OnShow", &TForm::OnShow);
  });
}
