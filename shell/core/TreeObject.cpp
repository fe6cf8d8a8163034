#include "shell/core/TreeObject.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "shell/core/Exceptions.h"
#include "shell/core/Filer.h"

const TMetaClass& TTreeObject::StaticClass() {
  return ClassRecord<TTreeObject>("TTreeObject", &TComponent::StaticClass(), [](auto& B) {
    B.Property("StyleName", &TTreeObject::StyleName, &TTreeObject::SetStyleName);
    // A NaN written through the property is ignored, as by every float property.
    B.Property("TagFloat", &TTreeObject::TagFloat,
               [](TTreeObject& T, float Value) {
                 if (!std::isnan(Value)) T.SetTagFloat(Value);
               })
        .Default(0.f);
    B.Property("TagString", &TTreeObject::TagString, &TTreeObject::SetTagString);
  });
}

TTreeObject::TTreeObject(TComponent* AOwner) : TComponent(AOwner) {}

TTreeObject::~TTreeObject() {
  // Free has detached the object already; a plain delete must not leave a dangling child.
  if (FParent) {
    auto& Siblings = FParent->FChildren;
    Siblings.erase(std::remove(Siblings.begin(), Siblings.end(), this), Siblings.end());
  }
  for (TTreeObject* Child : FChildren) Child->FParent = nullptr;
}

void TTreeObject::BeforeDestruction() {
  Destroying();
  DeleteChildren();
  if (FParent) FParent->RemoveObject(this);
  TComponent::BeforeDestruction();
}

int TTreeObject::Index() const {
  if (!FParent) return -1;
  auto It = std::find(FParent->FChildren.begin(), FParent->FChildren.end(), this);
  return static_cast<int>(It - FParent->FChildren.begin());
}

bool TTreeObject::IsChild(const TTreeObject* AObject) const {
  for (const TTreeObject* P = AObject ? AObject->FParent : nullptr; P; P = P->FParent)
    if (P == this) return true;
  return false;
}

void TTreeObject::CheckCircular(const TTreeObject* NewParent) const {
  if (NewParent == this || IsChild(NewParent))
    throw EInvalidOperation("Cannot create a circular dependency between components");
}

void TTreeObject::SetParent(TTreeObject* Value) {
  if (Value == FParent || Value == this) return;
  CheckCircular(Value);
  if (FParent) FParent->RemoveObject(this);
  if (Value) Value->AddObject(this);
}

void TTreeObject::AddObject(TTreeObject* AObject) {
  if (!AObject || AObject->FParent == this) return;
  AObject->CheckCircular(this);
  if (AObject->FParent) AObject->FParent->RemoveObject(AObject);
  DoAddObject(AObject);
}

void TTreeObject::InsertObject(int Index, TTreeObject* AObject) {
  if (!AObject) return;
  if (AObject->FParent == this) {
    SetChildIndex(AObject, Index);
    return;
  }
  AObject->CheckCircular(this);
  if (AObject->FParent) AObject->FParent->RemoveObject(AObject);
  DoInsertObject(Index, AObject);
}

void TTreeObject::RemoveObject(TTreeObject* AObject) {
  if (AObject && AObject->FParent == this) DoRemoveObject(AObject);
}

void TTreeObject::DoAddObject(TTreeObject* AObject) { DoInsertObject(ChildrenCount(), AObject); }

void TTreeObject::DoInsertObject(int Index, TTreeObject* AObject) {
  Index = std::clamp(Index, 0, ChildrenCount());
  FChildren.insert(FChildren.begin() + Index, AObject);
  AObject->FParent = this;
  AObject->ChangeParent();
  ChangeChildren();
}

void TTreeObject::DoRemoveObject(TTreeObject* AObject) {
  // From the end: children mostly go in the reverse order of their coming.
  auto It = std::find(FChildren.rbegin(), FChildren.rend(), AObject);
  if (It != FChildren.rend()) FChildren.erase(std::next(It).base());
  AObject->FParent = nullptr;
  AObject->ChangeParent();
  ChangeChildren();
}

void TTreeObject::DeleteChildren() {
  while (!FChildren.empty()) {
    TTreeObject* Child = FChildren.back();
    RemoveObject(Child);
    Child->Free();
  }
}

void TTreeObject::SetChildIndex(TTreeObject* Child, int NewIndex) {
  auto It = std::find(FChildren.begin(), FChildren.end(), Child);
  if (It == FChildren.end()) return;
  NewIndex = std::clamp(NewIndex, 0, ChildrenCount() - 1);
  if (It - FChildren.begin() == NewIndex) return;
  FChildren.erase(It);
  FChildren.insert(FChildren.begin() + NewIndex, Child);
  ChangeOrder();
  ChangeChildren();
}

void TTreeObject::SetParentComponent(TComponent* Value) {
  if (auto* Tree = dynamic_cast<TTreeObject*>(Value))
    SetParent(Tree);
  else if (!Value)
    SetParent(nullptr);
}

void TTreeObject::SetChildOrder(TComponent* Child, int Order) {
  if (auto* Tree = dynamic_cast<TTreeObject*>(Child)) SetChildIndex(Tree, Order);
}

void TTreeObject::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
  TComponent::GetChildren(Proc, Root);
  std::vector<TTreeObject*> Children = FChildren;
  for (TTreeObject* Child : Children)
    if (Child->FStored && Child->Owner() == Root) Proc(Child);
}

void TTreeObject::DefineProperties(TFiler& Filer) {
  TComponent::DefineProperties(Filer);
  // Kept readable for streams made by the designer; the value has no use at run time.
  Filer.DefineProperty("BindingName", [](IValueReader& R) { R.ReadString(); }, nullptr, false);
}
