#include "shell/core/Collection.h"

#include "shell/core/Exceptions.h"

const TMetaClass& TCollectionItem::StaticClass() {
  return ClassRecord<TCollectionItem>("TCollectionItem", &TPersistent::StaticClass(), [](auto&) {});
}

const TMetaClass& TCollection::StaticClass() {
  return ClassRecord<TCollection>("TCollection", &TPersistent::StaticClass(), [](auto&) {});
}

int TCollectionItem::Index() const {
  if (!FCollection) return -1;
  for (int I = 0; I < FCollection->Count(); ++I)
    if (FCollection->Items(I) == this) return I;
  return -1;
}

void TCollectionItem::Changed(bool AllItems) {
  if (FCollection) FCollection->Changed(AllItems ? nullptr : this);
}

TCollection::TCollection(const TMetaClass& ItemClass, TItemFactory Factory)
    : FItemClass(ItemClass), FFactory(std::move(Factory)) {}

TCollection::~TCollection() {
  ++FUpdateCount;  // no change notifications while dying
  FItems.clear();
}

TCollectionItem* TCollection::Add() {
  FItems.emplace_back(FFactory());
  TCollectionItem* Item = FItems.back().get();
  Item->FCollection = this;
  Item->FID = FNextID++;
  Changed(nullptr);
  return Item;
}

void TCollection::Delete(int Index) {
  if (Index < 0 || Index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {std::to_string(Index)}));
  FItems.erase(FItems.begin() + Index);
  Changed(nullptr);
}

void TCollection::Clear() {
  if (FItems.empty()) return;
  BeginUpdate();
  FItems.clear();
  EndUpdate();
}

void TCollection::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) Changed(nullptr);
}

void TCollection::Changed(TCollectionItem* Item) {
  if (FUpdateCount == 0) Update(Item);
}

void TCollection::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TCollection*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  BeginUpdate();
  try {
    FItems.clear();
    for (int I = 0; I < Other->Count(); ++I) Add()->Assign(Other->Items(I));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}
