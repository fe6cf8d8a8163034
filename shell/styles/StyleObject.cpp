#include "shell/styles/StyleObject.h"

#include <cmath>
#include <sstream>

#include "shell/canvas/Canvas.h"
#include "shell/styles/Image.h"
#include "shell/styles/StyleContainer.h"

namespace TypeInfos {
const TTypeInfo& CapWrapMode() {
  static const TTypeInfo T = MakeNamedType("TCapWrapMode", TTypeKind::Enumeration, {"Stretch", "Tile"});
  return T;
}
}  // namespace TypeInfos

// --- TBitmapLink ---

const TMetaClass& TBitmapLink::StaticClass() {
  return ClassRecord<TBitmapLink>("TBitmapLink", &TCollectionItem::StaticClass(), [](auto& B) {
    B.Property("CapInsets", &TBitmapLink::CapInsets, &TBitmapLink::SetCapInsets);
    B.Property("Scale", &TBitmapLink::Scale, &TBitmapLink::SetScale).Default(1.f);
    B.Property("SourceRect", &TBitmapLink::SourceRect, &TBitmapLink::SetSourceRect);
  });
}

TBitmapLink::TBitmapLink() : FSourceRect(std::make_unique<TBounds>()), FCapInsets(std::make_unique<TBounds>()) {
  FSourceRect->OnChange = TNotifyEvent(this, &TBitmapLink::PartChanged);
  FCapInsets->OnChange = TNotifyEvent(this, &TBitmapLink::PartChanged);
}

TBitmapLink::~TBitmapLink() = default;

void TBitmapLink::SetScale(float Value) {
  if (Value == FScale || std::isnan(Value)) return;
  FScale = Value;
  Changed(false);
}

void TBitmapLink::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TBitmapLink*>(Source);
  if (!Other) {
    TCollectionItem::Assign(Source);
    return;
  }
  FScale = Other->FScale;
  FSourceRect->Assign(Other->FSourceRect.get());
  FCapInsets->Assign(Other->FCapInsets.get());
  Changed(false);
}

const TMetaClass& TBitmapLinks::StaticClass() {
  return ClassRecord<TBitmapLinks>("TBitmapLinks", &TCollection::StaticClass(), [](auto&) {});
}

TBitmapLinks::TBitmapLinks() : TCollection(TBitmapLink::StaticClass(), [] { return new TBitmapLink; }) {}

TBitmapLink* TBitmapLinks::LinkByScale(float Scale) const {
  TBitmapLink* Best = nullptr;
  double BestDistance = 0;
  for (int I = 0; I < Count(); ++I) {
    TBitmapLink* Link = Items(I);
    double D = std::fabs(static_cast<double>(Link->Scale()) - Scale);
    // A smaller rectangle is the worse choice: it would be drawn enlarged.
    if (Link->Scale() < Scale) D += 0.0001;
    if (!Best || D < BestDistance) {
      Best = Link;
      BestDistance = D;
    }
  }
  return Best;
}

// --- TCustomStyleObject ---

const TMetaClass& TCustomStyleObject::StaticClass() {
  return ClassRecord<TCustomStyleObject>("TCustomStyleObject", &TControl::StaticClass(), [](auto& B) {
    B.Property("CapMode", &TCustomStyleObject::CapMode, &TCustomStyleObject::SetCapMode, &TypeInfos::CapWrapMode())
        .Default(TCapWrapMode::Stretch);
    B.Property("HitTest", &TCustomStyleObject::HitTest, &TCustomStyleObject::SetHitTest).Default(false);
    B.Property("Opaque", &TCustomStyleObject::Opaque, &TCustomStyleObject::SetOpaque).Default(false);
    B.Property("SourceLookup", &TCustomStyleObject::SourceLookup, &TCustomStyleObject::SetSourceLookup);
    B.Property("TintColor", &TCustomStyleObject::TintColor, &TCustomStyleObject::SetTintColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColors::Null);
    B.Property("WrapMode", &TCustomStyleObject::WrapMode, &TCustomStyleObject::SetWrapMode,
               &TypeInfos::ImageWrapMode())
        .Default(TImageWrapMode::Stretch);
  });
}

TCustomStyleObject::TCustomStyleObject(TComponent* AOwner) : TControl(AOwner) { SetHitTest(false); }

TCustomStyleObject::~TCustomStyleObject() = default;

void TCustomStyleObject::SetSourceLookup(const std::string& Value) {
  if (Value == FSourceLookup) return;
  FSourceLookup = Value;
  Repaint();
}

void TCustomStyleObject::SetCapMode(TCapWrapMode Value) {
  if (Value == FCapMode) return;
  FCapMode = Value;
  Repaint();
}

void TCustomStyleObject::SetWrapMode(TImageWrapMode Value) {
  if (Value == FWrapMode) return;
  FWrapMode = Value;
  Repaint();
}

void TCustomStyleObject::SetOpaque(bool Value) {
  if (Value == FOpaque) return;
  FOpaque = Value;
  Repaint();
}

void TCustomStyleObject::SetTintColor(TAlphaColor Value) {
  if (Value == FTintColor) return;
  FTintColor = Value;
  Repaint();
}

TBitmap& TCustomStyleObject::Tinted(TBitmap& Source) {
  // The artwork is shared by every copy of the style, so the tint goes on a copy of it.
  if (FTinted && FTintedFrom == &Source && FTintedWith == FTintColor && FTinted->Width() == Source.Width() &&
      FTinted->Height() == Source.Height())
    return *FTinted;
  if (!FTinted) FTinted = std::make_unique<TBitmap>();
  FTinted->Assign(&Source);
  TBitmapData Data;
  if (FTinted->Map(TMapAccess::ReadWrite, Data)) {
    // Premultiplied channels scaled by the tint's stay premultiplied.
    const uint32_t Tint = FTintColor;
    for (int Y = 0; Y < Data.Height; ++Y) {
      uint32_t* Row = Data.Scanline(Y);
      for (int X = 0; X < Data.Width; ++X) {
        uint32_t P = Row[X], Out = 0;
        for (int Shift = 0; Shift < 32; Shift += 8) {
          const uint32_t C = (P >> Shift) & 0xFF, T = (Tint >> Shift) & 0xFF;
          Out |= ((C * T + 127) / 255) << Shift;
        }
        Row[X] = Out;
      }
    }
    FTinted->Unmap(Data);
  }
  FTintedFrom = &Source;
  FTintedWith = FTintColor;
  return *FTinted;
}

void TCustomStyleObject::SetStyleSource(TComponent* Value) {
  if (Value == FStyleSource) return;
  if (FStyleSource) FStyleSource->RemoveFreeNotification(this);
  FStyleSource = Value;
  if (FStyleSource) FStyleSource->FreeNotification(this);
}

void TCustomStyleObject::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FStyleSource) FStyleSource = nullptr;
}

TImage* TCustomStyleObject::FindSourceImage() const {
  if (FSourceLookup.empty()) return nullptr;
  if (auto* Tree = dynamic_cast<TTreeObject*>(FStyleSource))
    return dynamic_cast<TImage*>(FindStyleObject(*Tree, FSourceLookup));
  for (TTreeObject* P = Parent(); P; P = P->Parent())
    if (auto* Container = dynamic_cast<TStyleContainer*>(P))
      return dynamic_cast<TImage*>(Container->FindStyleResource(FSourceLookup));
  return nullptr;
}

void TCustomStyleObject::Paint() {
  if (TCanvas* C = Canvas()) DrawStyleImage(*C, LocalRect(), AbsoluteOpacity());
}

void TCustomStyleObject::DrawStyleImage(TCanvas& C, const TRectF& Target, float AOpacity) {
  TBitmapLinks* Links = CurrentLinks();
  if (!Links || Links->Count() == 0) return;
  TImage* Image = FindSourceImage();
  if (!Image) return;
  const float S = C.Scale();
  TFixedBitmapItem* Variant = Image->MultiResBitmap()->ItemByScale(S);
  if (!Variant || Variant->Bitmap()->IsEmpty()) return;
  TBitmapLink* Link = Links->LinkByScale(Variant->Scale());
  if (!Link || Link->SourceRect()->Rect().IsEmpty()) return;

  const bool Whole = std::fabs(S - std::nearbyint(S)) < 1e-4f;
  const TRectF Dst = Whole ? Target : AlignToDevicePixels(Target, C.Matrix(), S);
  const bool HighSpeed = CanDrawHighSpeed(C.Matrix(), S);
  const bool Replace = FOpaque && AOpacity >= 1;
  if (Replace) C.SetBlending(false);
  TBitmap& Artwork = FTintColor == TAlphaColors::Null ? *Variant->Bitmap() : Tinted(*Variant->Bitmap());
  for (const TImagePart& P : LayoutStyleImage(Link->SourceRect()->Rect(), Link->CapInsets()->Rect(), Variant->Scale(),
                                              Dst, FCapMode, FWrapMode))
    C.DrawBitmap(Artwork, P.Source, P.Target, AOpacity, HighSpeed);
  if (Replace) C.SetBlending(true);
}

// --- TStyleObject ---

const TMetaClass& TStyleObject::StaticClass() {
  return ClassRecord<TStyleObject>("TStyleObject", &TCustomStyleObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("SourceLink", &TStyleObject::SourceLink, &TStyleObject::SetSourceLink);
  });
}

TStyleObject::TStyleObject(TComponent* AOwner)
    : TCustomStyleObject(AOwner), FSourceLink(std::make_unique<TBitmapLinks>()) {
  WatchLinks(*FSourceLink);
}

TStyleObject::~TStyleObject() = default;

// --- TActiveStyleObject ---

const TMetaClass& TActiveStyleObject::StaticClass() {
  return ClassRecord<TActiveStyleObject>("TActiveStyleObject", &TCustomStyleObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("ActiveLink", &TActiveStyleObject::ActiveLink, &TActiveStyleObject::SetActiveLink);
    B.Property("ActiveTrigger", &TActiveStyleObject::ActiveTrigger, &TActiveStyleObject::SetActiveTrigger);
    B.Property("SourceLink", &TActiveStyleObject::SourceLink, &TActiveStyleObject::SetSourceLink);
  });
}

TActiveStyleObject::TActiveStyleObject(TComponent* AOwner)
    : TCustomStyleObject(AOwner),
      FSourceLink(std::make_unique<TBitmapLinks>()),
      FActiveLink(std::make_unique<TBitmapLinks>()) {
  WatchLinks(*FSourceLink);
  WatchLinks(*FActiveLink);
}

TActiveStyleObject::~TActiveStyleObject() = default;

void TActiveStyleObject::SetActiveTrigger(const std::string& Value) {
  if (Value == FActiveTrigger) return;
  FActiveTrigger = Value;
  if (FActive) {
    FActive = false;
    Repaint();
  }
}

void TActiveStyleObject::StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) {
  TCustomStyleObject::StartTriggerAnimation(AInstance, ATrigger);
  if (!AInstance || FActiveTrigger.empty() || !SameText(ATrigger, FActiveTrigger)) return;
  bool Value = false;
  if (!AInstance->GetTriggerState(FActiveTrigger, Value)) Value = false;
  if (Value == FActive) return;
  FActive = Value;
  Repaint();
}

void TActiveStyleObject::ResetState() {
  TCustomStyleObject::ResetState();
  if (!FActive) return;
  FActive = false;
  Repaint();
}

// --- TButtonStyleObject ---

namespace {
struct TCondition {
  TButtonStyleState State;
  const char* Text;
};
// In the order the states are tried.
constexpr TCondition Conditions[] = {
    {TButtonStyleState::Normal, "IsMouseOver=False;IsPressed=False;IsFocused=False"},
    {TButtonStyleState::Hot, "IsMouseOver=True;IsPressed=False"},
    {TButtonStyleState::Focused, "IsMouseOver=False;IsFocused=True;IsPressed=False"},
    {TButtonStyleState::Pressed, "IsMouseOver=True;IsPressed=True"},
};

bool Holds(const TControl& Instance, const std::string& Condition) {
  std::istringstream In(Condition);
  std::string Term;
  while (std::getline(In, Term, ';')) {
    const size_t Eq = Term.find('=');
    if (Eq == std::string::npos) return false;
    bool Value = false;
    if (!Instance.GetTriggerState(Term.substr(0, Eq), Value)) Value = false;
    if (Value != SameText(Term.substr(Eq + 1), "True")) return false;
  }
  return true;
}
}  // namespace

bool ChooseButtonStyleState(const TControl& AInstance, TButtonStyleState& State) {
  for (const TCondition& C : Conditions)
    if (Holds(AInstance, C.Text)) {
      State = C.State;
      return true;
    }
  return false;
}

bool IsButtonStyleTrigger(const std::string& Trigger) {
  return SameText(Trigger, "IsMouseOver") || SameText(Trigger, "IsPressed") || SameText(Trigger, "IsFocused");
}

const TMetaClass& TButtonStyleObject::StaticClass() {
  return ClassRecord<TButtonStyleObject>("TButtonStyleObject", &TCustomStyleObject::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("FocusedLink", &TButtonStyleObject::FocusedLink, &TButtonStyleObject::SetFocusedLink);
    B.Property("HotLink", &TButtonStyleObject::HotLink, &TButtonStyleObject::SetHotLink);
    B.Property("NormalLink", &TButtonStyleObject::NormalLink, &TButtonStyleObject::SetNormalLink);
    B.Property("PressedLink", &TButtonStyleObject::PressedLink, &TButtonStyleObject::SetPressedLink);
  });
}

TButtonStyleObject::TButtonStyleObject(TComponent* AOwner) : TCustomStyleObject(AOwner) {
  for (auto& L : FLinks) {
    L = std::make_unique<TBitmapLinks>();
    WatchLinks(*L);
  }
}

TButtonStyleObject::~TButtonStyleObject() = default;

void TButtonStyleObject::StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) {
  TCustomStyleObject::StartTriggerAnimation(AInstance, ATrigger);
  if (!AInstance || !IsButtonStyleTrigger(ATrigger)) return;
  TButtonStyleState New = FState;
  if (!ChooseButtonStyleState(*AInstance, New) || New == FState) return;
  FState = New;
  Repaint();
}

void TButtonStyleObject::ResetState() {
  TCustomStyleObject::ResetState();
  if (FState == TButtonStyleState::Normal) return;
  FState = TButtonStyleState::Normal;
  Repaint();
}
