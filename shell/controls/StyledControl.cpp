#include "shell/controls/StyledControl.h"

#include <algorithm>
#include <cctype>
#include <vector>

#include "shell/controls/StyleCache.h"
#include "shell/controls/StyleDictionary.h"
#include "shell/core/Exceptions.h"

namespace {
std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}

// The property a style data name leads to on its object.
struct TStyleDataTarget {
  TPersistent* Instance = nullptr;
  const TPropInfo* Prop = nullptr;
};

// Follows a dotted property path from Instance through its sub-objects; none when a part is
// missing or the last one is not a value (an object or an event).
TStyleDataTarget FollowPath(TPersistent* Instance, const std::string& Path) {
  size_t Start = 0;
  for (size_t Dot; Instance && (Dot = Path.find('.', Start)) != std::string::npos; Start = Dot + 1) {
    const TPropInfo* P = Instance->ClassType().FindProperty(Path.substr(Start, Dot - Start));
    TObject* Sub = P && P->Kind() == TTypeKind::Class && P->GetObj ? P->GetObj(Instance) : nullptr;
    Instance = dynamic_cast<TPersistent*>(Sub);
  }
  if (!Instance) return {};
  const TPropInfo* P = Instance->ClassType().FindProperty(Path.substr(Start));
  if (!P || P->Kind() == TTypeKind::Class || P->Kind() == TTypeKind::Method) return {};
  return {Instance, P};
}

bool IsOrdinal(TTypeKind Kind) { return Kind != TTypeKind::Float && Kind != TTypeKind::String; }

TStyleDataValue ReadValue(const TStyleDataTarget& T) {
  if (T.Prop->Kind() == TTypeKind::Float) return T.Prop->GetFloat(T.Instance);
  if (T.Prop->Kind() == TTypeKind::String) return T.Prop->GetStr(T.Instance);
  return T.Prop->GetOrd(T.Instance);
}

// Whether Value is of the kind the property holds.
bool Fits(const TStyleDataTarget& T, const TStyleDataValue& Value) {
  if (!T.Prop->Writable()) return false;
  if (T.Prop->Kind() == TTypeKind::Float) return std::holds_alternative<long double>(Value);
  if (T.Prop->Kind() == TTypeKind::String) return std::holds_alternative<std::string>(Value);
  return IsOrdinal(T.Prop->Kind()) && std::holds_alternative<int64_t>(Value);
}

void WriteValue(const TStyleDataTarget& T, const TStyleDataValue& Value) {
  if (auto* F = std::get_if<long double>(&Value)) T.Prop->SetFloat(T.Instance, *F);
  else if (auto* Str = std::get_if<std::string>(&Value)) T.Prop->SetStr(T.Instance, *Str);
  else T.Prop->SetOrd(T.Instance, std::get<int64_t>(Value));
}

// What Name leads to in Control's applied copy: the longest leading part that names a style
// object, then the property path after it; with no such part, the path from the copy itself.
TStyleDataTarget ResolveStyleData(const TStyledControl& Control, const std::string& Name) {
  TControl* Link = Control.ResourceLink();
  if (!Link) return {};
  for (size_t Dot = Name.rfind('.'); Dot != std::string::npos && Dot > 0; Dot = Name.rfind('.', Dot - 1))
    if (TControl* Object = Control.FindStyleResource(Name.substr(0, Dot))) return FollowPath(Object, Name.substr(Dot + 1));
  return FollowPath(Link, Name);
}

TStyledControl::TStyleLookupProc& LookupProc() {
  static TStyledControl::TStyleLookupProc Proc;
  return Proc;
}

TStyledControl::TStyleSourceProc& SourceProc() {
  static TStyledControl::TStyleSourceProc Proc;
  return Proc;
}
}  // namespace

const TMetaClass& TStyledControl::StaticClass() {
  return ClassRecord<TStyledControl>("TStyledControl", &TControl::StaticClass(), [](auto& B) {
    B.Property("StyleLookup", &TStyledControl::StyleLookup, &TStyledControl::SetStyleLookup);
    B.Property(
        "OnApplyStyleLookup", [](const TStyledControl& C) { return C.OnApplyStyleLookup; },
        [](TStyledControl& C, const TNotifyEvent& E) { C.OnApplyStyleLookup = E; });
  });
}

void TStyledControl::SetStyleLookupProc(TStyleLookupProc Proc, TStyleSourceProc Source) {
  // Copies found by the old lookup are not what the new one would find.
  TStyleCache::Current().Clear();
  LookupProc() = std::move(Proc);
  SourceProc() = std::move(Source);
}

TStyledControl::TStyledControl(TComponent* AOwner) : TControl(AOwner) {}

void TStyledControl::BeforeDestruction() {
  ReleaseStyle();
  TControl::BeforeDestruction();
}

void TStyledControl::SetStyleLookup(const std::string& Value) {
  if (Value == FStyleLookup) return;
  FStyleLookup = Value;
  NeedStyleLookup();
  if (!IsLoading() && Root()) ApplyStyleLookup();
}

std::string TStyledControl::GenerateStyleName(const std::string& ClassName) {
  std::string Name = ClassName;
  if (Name.size() > 1 && Name.find("TCustom") != std::string::npos) Name.erase(0, 7);
  if (Name.size() > 1 && (Name[0] == 'T' || Name[0] == 't')) Name.erase(0, 1);
  return Name + "style";
}

std::string TStyledControl::GetDefaultStyleLookupName() const { return GenerateStyleName(ClassName()); }

std::string TStyledControl::GetParentClassStyleLookupName() const {
  const TMetaClass* Parent = ClassType().Parent();
  return Parent ? GenerateStyleName(Parent->Name()) : std::string();
}

void TStyledControl::NeedStyleLookup() {
  FNeedStyleLookup = true;
  ReleaseStyle();
  Repaint();
}

void TStyledControl::ReleaseStyle() {
  if (!FResourceLink) return;
  FStyleState = TStyleState::Freeing;
  FreeStyle();
  TControl* Link = FResourceLink;
  FResourceLink = nullptr;
  // A copy that is going with its owner (a form being freed) is not kept.
  if (FStyleCacheName.empty() || Link->IsDestroying()) {
    Link->Free();
  } else {
    RemoveObject(Link);
    if (Link->Owner()) Link->Owner()->RemoveComponent(Link);
    TStyleCache::Current().Put(FStyleCacheSource, FStyleCacheName, Link);
  }
  FStyleCacheName.clear();
  FStyleCacheSource = nullptr;
  SetAdjust(TAdjustType::None, TSizeF());
  FStyleState = TStyleState::Unapplied;
}

bool TStyledControl::RootHasStyleBook() const {
  TTreeObject* RootObject = Root() ? Root()->GetRootObject() : nullptr;
  const TPropInfo* P = RootObject ? RootObject->ClassType().FindProperty("StyleBook") : nullptr;
  return P && P->GetObj && P->GetObj(RootObject);
}

TControl* TStyledControl::LookupStyleObject() {
  if (!FStyleLookup.empty() && SameText(FStyleLookup, StyleName())) return nullptr;
  return LookupProc() ? LookupProc()(*this) : nullptr;
}

void TStyledControl::ApplyStyleLookup() {
  // Without a way to find styles nothing is settled yet: the need stays.
  if (!FNeedStyleLookup || !Root() || IsDestroying() || !LookupProc()) return;
  FNeedStyleLookup = false;
  if (!FStyleLookup.empty() && SameText(FStyleLookup, StyleName())) return;
  // A copy that another control let go of serves as well as a new one, unless the form's own
  // style book decides.
  const std::string CacheName = FStyleLookup.empty() ? GetDefaultStyleLookupName() : FStyleLookup;
  const bool UseCache = !RootHasStyleBook();
  const TTreeObject* Source = UseCache && SourceProc() ? SourceProc()(*this) : nullptr;
  TControl* Copy = UseCache ? TStyleCache::Current().Take(Source, CacheName) : nullptr;
  const bool Reused = Copy != nullptr;
  if (Copy)
    InsertComponent(Copy);
  else
    Copy = LookupStyleObject();
  // Without a style the control keeps its stored size and draws nothing of its own.
  if (!Copy) return;

  BeginUpdate();
  FStyleState = TStyleState::Applying;
  try {
    SetAdjust(AdjustType(), Copy->Size()->Size());
    Copy->SetVisible(true);
    Copy->SetAlign(TAlignLayout::None);
    TRectF R = Copy->Margins()->PaddingRect(LocalRect());
    Copy->SetBounds(R.Left, R.Top, R.Width(), R.Height());
    Copy->SetAlign(TAlignLayout::Contents);
    Copy->SetIsStyleResource(true);
    Copy->SetLocked(true);
    Copy->SetStored(false);
    FResourceLink = Copy;
    FStyleCacheName = UseCache ? CacheName : std::string();
    FStyleCacheSource = Source;
    FStyledRoot = Root();
    InsertObject(0, Copy);
    if (Reused) TakeStatesIntoReusedCopy();
    ApplyStyle();
    OnApplyStyleLookup(this);
    FStyleState = TStyleState::Applied;
  } catch (...) {
    FStyleState = TStyleState::Error;
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStyledControl::TakeStatesIntoReusedCopy() {
  std::vector<TStyledControl*> Parts;
  std::function<void(TControl*)> Reset = [&](TControl* C) {
    C->ResetState();
    if (auto* Part = dynamic_cast<TStyledControl*>(C)) Parts.push_back(Part);
    for (TTreeObject* Child : C->ChildList())
      if (auto* Control = dynamic_cast<TControl*>(Child)) Reset(Control);
  };
  Reset(FResourceLink);
  // Innermost first, each part's own style before the control's.
  for (auto It = Parts.rbegin(); It != Parts.rend(); ++It) (*It)->ApplyStateTriggers();
  ApplyStateTriggers();
}

void TStyledControl::ApplyStateTriggers() {
  for (const char* Trigger : {"IsMouseOver", "IsPressed", "IsFocused", "Pressed", "IsEnabled", "IsVisible"})
    ApplyTriggerEffect(Trigger);
}

void TStyledControl::ApplyStyle() {
  if (IsFocused() && CanFocus()) ApplyTriggerEffect("IsFocused");
  AdjustFixedSize(FResourceLink);
  HandStyleDataOver();
  if (Align() != TAlignLayout::None && AdjustType() != TAdjustType::None) RequestAlign();
}

void TStyledControl::FreeStyle() { TakeStyleDataBack(); }

void TStyledControl::SetStyleData(const std::string& Name, const TStyleDataValue& Value) {
  const TStyleDataTarget Target = ResolveStyleData(*this, Name);
  if (Target.Prop && !Fits(Target, Value)) throw EConvertError("Invalid property value");
  FStyleData[Lower(Name)] = Value;
  if (Target.Prop) WriteValue(Target, Value);
}

std::optional<TStyleDataValue> TStyledControl::StyleData(const std::string& Name) const {
  const TStyleDataTarget Target = ResolveStyleData(*this, Name);
  if (Target.Prop) return ReadValue(Target);
  auto It = FStyleData.find(Lower(Name));
  if (It == FStyleData.end()) return std::nullopt;
  return It->second;
}

void TStyledControl::HandStyleDataOver() {
  for (const auto& [Name, Value] : FStyleData) {
    // A style without the object, or with another kind of property there, leaves the value
    // kept for the next one.
    const TStyleDataTarget Target = ResolveStyleData(*this, Name);
    if (Target.Prop && Fits(Target, Value)) WriteValue(Target, Value);
  }
}

void TStyledControl::TakeStyleDataBack() {
  for (auto& [Name, Value] : FStyleData) {
    const TStyleDataTarget Target = ResolveStyleData(*this, Name);
    if (Target.Prop && Fits(Target, Value)) Value = ReadValue(Target);
  }
}

void TStyledControl::AdjustFixedSize(TControl* Reference) {
  if (!Reference || (Reference->FixedWidth() == 0 && Reference->FixedHeight() == 0)) {
    SetAdjust(TAdjustType::None, AdjustSizeValue());
    return;
  }
  TSizeF Fixed(static_cast<float>(Reference->FixedWidth()), static_cast<float>(Reference->FixedHeight()));
  TAdjustType Type = ChooseAdjustType(Fixed);
  if (Type == TAdjustType::None) {
    SetAdjust(AdjustType(), Fixed);
    return;
  }
  SetAdjust(Type, Fixed);
  AdjustSize();
}

TAdjustType TStyledControl::ChooseAdjustType(TSizeF& FixedSize) {
  if (FixedSize.Width == 0 && FixedSize.Height != 0) return TAdjustType::FixedHeight;
  if (FixedSize.Width != 0 && FixedSize.Height != 0) return TAdjustType::FixedSize;
  if (FixedSize.Width != 0) return TAdjustType::FixedWidth;
  return TAdjustType::None;
}

void TStyledControl::AdjustSize() {
  TSizeF Fixed = AdjustSizeValue();
  bool FixW = AdjustType() == TAdjustType::FixedSize || AdjustType() == TAdjustType::FixedWidth;
  bool FixH = AdjustType() == TAdjustType::FixedSize || AdjustType() == TAdjustType::FixedHeight;
  if (Size()->PlatformDefault()) {
    // Keep the platform default: the class's size takes the fixed dimensions.
    TSizeF D = Size()->DefaultValue();
    Size()->SetDefaultValue(TSizeF(FixW ? Fixed.Width : D.Width, FixH ? Fixed.Height : D.Height));
    return;
  }
  SetBounds(Position()->X(), Position()->Y(), FixW ? Fixed.Width : Width(), FixH ? Fixed.Height : Height());
}

TControl* TStyledControl::FindStyleResource(const std::string& Name) const {
  if (!FResourceLink) return nullptr;
  if (SameText(FResourceLink->StyleName(), Name)) return FResourceLink;
  TStyleDictionary Dictionary;
  Dictionary.Build(*FResourceLink);
  return dynamic_cast<TControl*>(Dictionary.Find(Name));
}

void TStyledControl::ApplyTriggerEffect(const std::string& Trigger) {
  if (!FResourceLink) return;
  std::function<void(TControl*)> Walk = [&](TControl* C) {
    C->StartTriggerAnimation(this, Trigger);
    if (C != FResourceLink && dynamic_cast<TStyledControl*>(C)) return;
    for (TTreeObject* Child : std::vector<TTreeObject*>(C->ChildList()))
      if (auto* Control = dynamic_cast<TControl*>(Child)) Walk(Control);
  };
  Walk(FResourceLink);
}

void TStyledControl::ChangeParent() {
  TControl::ChangeParent();
  // Taken out of the tree the control keeps its copy; it lets go when it arrives under
  // another root than the one it took its style in.
  if (FResourceLink && Root() && Root() != FStyledRoot && !IsDestroying()) NeedStyleLookup();
}

void TStyledControl::SetBounds(float X, float Y, float AWidth, float AHeight) {
  // The style decides the size (a fixed height), so it is taken whenever the size is worked
  // out, not only at the first paint.
  if (!IsLoading()) ApplyStyleLookup();
  TControl::SetBounds(X, Y, AWidth, AHeight);
}

void TStyledControl::Loaded() {
  TControl::Loaded();
  ApplyStyleLookup();
}

void TStyledControl::PrepareForPaint() {
  ApplyStyleLookup();
  TControl::PrepareForPaint();
}
