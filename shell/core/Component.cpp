#include "shell/core/Component.h"

#include <algorithm>
#include <atomic>
#include <iterator>

#include "shell/core/Exceptions.h"
#include "shell/core/Filer.h"
#include "shell/core/LiveCount.h"

const TMetaClass& TComponent::StaticClass() {
  return ClassRecord<TComponent>("TComponent", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("Name", &TComponent::Name, &TComponent::SetName)
        .Stored([](const TComponent&) { return false; });
    B.Property("Tag", &TComponent::Tag, &TComponent::SetTag).Default(int64_t{0});
  });
}

namespace {
std::atomic<int64_t> GLiveComponents{0};
}  // namespace

int64_t LiveComponentCount() { return GLiveComponents.load(std::memory_order_relaxed); }

TComponent::TComponent(TComponent* AOwner) {
  GLiveComponents.fetch_add(1, std::memory_order_relaxed);
  if (AOwner) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  GLiveComponents.fetch_sub(1, std::memory_order_relaxed);
  // Normally Free has torn the component down already; a plain delete still leaves no
  // dangling owner or notification entries behind.
  if (!FTornDown) TearDown();
}

void TComponent::Free() {
  BeforeDestruction();
  delete this;
}

void TComponent::BeforeDestruction() {
  if (FTornDown) return;
  Destroying();
  TearDown();
}

void TComponent::TearDown() {
  FTornDown = true;
  FComponentState.Include(csDestroying);
  // Tell everybody who asked that this component is going.
  while (!FFreeNotifies.empty()) {
    TComponent* Other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Other->RemoveNotification(this);
    Other->Notification(this, opRemove);
  }
  DestroyComponents();
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::Destroying() {
  if (FComponentState.Contains(csDestroying)) return;
  FComponentState.Include(csDestroying);
  for (TComponent* C : FComponents) C->Destroying();
}

void TComponent::DestroyComponents() {
  while (!FComponents.empty()) {
    TComponent* Instance = FComponents.back();
    if (Instance->FComponentState.Contains(csFreeNotification))
      RemoveComponent(Instance);
    else
      Remove(Instance);
    Instance->Free();
  }
}

int TComponent::ComponentIndex() const {
  if (!FOwner) return -1;
  auto It = std::find(FOwner->FComponents.begin(), FOwner->FComponents.end(), this);
  return It == FOwner->FComponents.end() ? -1 : static_cast<int>(It - FOwner->FComponents.begin());
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  auto It = FNames.find(UpperCase(AName));
  return It == FNames.end() ? nullptr : It->second;
}

void TComponent::IndexName(TComponent* AComponent) {
  if (AComponent->FName.empty()) return;
  // A named component inserted into an owner that has one of that name already (insertion
  // does not check, renaming does): the first keeps the name's entry.
  if (!FNames.emplace(UpperCase(AComponent->FName), AComponent).second) FSharedNames = true;
}

void TComponent::UnindexName(TComponent* AComponent, const std::string& Name) {
  if (Name.empty()) return;
  auto It = FNames.find(UpperCase(Name));
  if (It == FNames.end() || It->second != AComponent) return;
  FNames.erase(It);
  if (!FSharedNames) return;
  for (TComponent* C : FComponents)
    if (C != AComponent && SameText(C->FName, Name)) {
      FNames.emplace(UpperCase(Name), C);
      return;
    }
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->FOwner) AComponent->FOwner->RemoveComponent(AComponent);
  ValidateRename(AComponent, "", AComponent->FName);
  Insert(AComponent);
  AComponent->SetReference(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  if (AComponent->FOwner != this) return;
  Notification(AComponent, opRemove);
  AComponent->SetReference(false);
  Remove(AComponent);
}

void TComponent::Insert(TComponent* AComponent) {
  FComponents.push_back(AComponent);
  AComponent->FOwner = this;
  IndexName(AComponent);
}

void TComponent::Remove(TComponent* AComponent) {
  // From the end: components mostly go in the reverse order of their coming.
  auto It = std::find(FComponents.rbegin(), FComponents.rend(), AComponent);
  if (It != FComponents.rend()) FComponents.erase(std::next(It).base());
  UnindexName(AComponent, AComponent->FName);
  AComponent->FOwner = nullptr;
}

void TComponent::SetName(const std::string& NewName) {
  if (FName == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("''%s'' is not a valid component name", {NewName}));
  if (FOwner)
    FOwner->ValidateRename(this, FName, NewName);
  else
    ValidateRename(nullptr, FName, NewName);
  SetReference(false);
  const std::string OldName = FName;
  ChangeName(NewName);
  if (FOwner) {
    FOwner->UnindexName(this, OldName);
    FOwner->IndexName(this);
  }
  SetReference(true);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  if (AComponent && !SameText(CurName, NewName) && AComponent->FOwner == this && FindComponent(NewName))
    throw EComponentError(Format("A component named %s already exists", {NewName}));
}

void TComponent::SetReference(bool Enable) {
  if (!FOwner || FName.empty()) return;
  if (const TFieldInfo* Field = FOwner->ClassType().FindField(FName)) Field->Set(FOwner, Enable ? this : nullptr);
}

void TComponent::SetSubComponent(bool IsSubComponent) {
  if (IsSubComponent)
    FComponentStyle.Include(csSubComponent);
  else
    FComponentStyle.Exclude(csSubComponent);
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (!AComponent || AComponent == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent) == FFreeNotifies.end())
    FFreeNotifies.push_back(AComponent);
  if (std::find(AComponent->FFreeNotifies.begin(), AComponent->FFreeNotifies.end(), this) ==
      AComponent->FFreeNotifies.end())
    AComponent->FFreeNotifies.push_back(this);
  FComponentState.Include(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (!AComponent) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  auto It = std::find(FFreeNotifies.begin(), FFreeNotifies.end(), AComponent);
  if (It != FFreeNotifies.end()) FFreeNotifies.erase(It);
  if (FFreeNotifies.empty()) FComponentState.Exclude(csFreeNotification);
}

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  // Not relayed to the owned components: each one that refers to another has asked for its
  // free notification, and telling all of them of every insertion and removal made loading and
  // freeing an owner quadratic in its components.
  if (Operation == opRemove && AComponent) RemoveFreeNotification(AComponent);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  if (Root != this) return;
  // Copy: Proc may add components to the owner or free some.
  std::vector<TComponent*> Owned = FComponents;
  for (TComponent* C : Owned)
    // Parts that a component keeps as its own are stored through its properties instead.
    if (!C->GetParentComponent() && !C->ComponentStyle().Contains(csSubComponent)) Proc(C);
}

void TComponent::Loaded() { FComponentState.Exclude(csLoading); }

void TComponent::ReadState(IComponentReader& Reader) { Reader.ReadData(this); }

void TComponent::DefineProperties(TFiler& Filer) {
  // Design-time placement of non-visual components: low and high words of FDesignInfo.
  Filer.DefineProperty(
      "Left", [this](IValueReader& R) { FDesignInfo = (FDesignInfo & 0xFFFF0000u) | (static_cast<uint32_t>(R.ReadInteger()) & 0xFFFFu); },
      [this](IValueWriter& W) { W.WriteInteger(static_cast<int16_t>(FDesignInfo & 0xFFFFu)); },
      (FDesignInfo & 0xFFFFu) != 0);
  Filer.DefineProperty(
      "Top", [this](IValueReader& R) { FDesignInfo = (FDesignInfo & 0xFFFFu) | ((static_cast<uint32_t>(R.ReadInteger()) & 0xFFFFu) << 16); },
      [this](IValueWriter& W) { W.WriteInteger(static_cast<int16_t>(FDesignInfo >> 16)); },
      (FDesignInfo >> 16) != 0);
}
