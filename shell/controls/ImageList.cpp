#include "shell/controls/ImageList.h"

#include "shell/core/Filer.h"

// --- TImageListItem ---

const TMetaClass& TImageListItem::StaticClass() {
  return ClassRecord<TImageListItem>("TImageListItem", &TCollectionItem::StaticClass(), [](auto&) {});
}

TImageListItem::TImageListItem() : FBitmap(std::make_unique<TBitmap>()) {}

TImageListItem::~TImageListItem() = default;

void TImageListItem::SetBitmap(TBitmap* Value) {
  FBitmap->Assign(Value);
  Changed(false);
}

void TImageListItem::LoadFromPNG(const std::vector<uint8_t>& Data) {
  if (Data.empty())
    FBitmap->SetSize(0, 0);
  else
    FBitmap->LoadFromPNG(Data.data(), Data.size());
  Changed(false);
}

void TImageListItem::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TImageListItem*>(Source);
  if (!Other) {
    TCollectionItem::Assign(Source);
    return;
  }
  SetBitmap(Other->FBitmap.get());
}

void TImageListItem::DefineProperties(TFiler& Filer) {
  TCollectionItem::DefineProperties(Filer);
  Filer.DefineProperty(
      "PNG", [this](IValueReader& R) { LoadFromPNG(R.ReadBinary()); },
      [this](IValueWriter& W) { W.WriteBinary(FBitmap->SaveToPNG()); }, !FBitmap->IsEmpty());
}

// --- TImageListItems ---

const TMetaClass& TImageListItems::StaticClass() {
  return ClassRecord<TImageListItems>("TImageListItems", &TCollection::StaticClass(), [](auto&) {});
}

TImageListItems::TImageListItems() : TCollection(TImageListItem::StaticClass(), [] { return new TImageListItem; }) {}

// --- TImageList ---

const TMetaClass& TImageList::StaticClass() {
  return ClassRecord<TImageList>("TImageList", &TComponent::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("Bitmaps", &TImageList::Bitmaps, &TImageList::SetBitmaps);
  });
}

TImageList::TImageList(TComponent* AOwner) : TComponent(AOwner), FBitmaps(std::make_unique<TImageListItems>()) {
  FBitmaps->OnChanged = TNotifyEvent(this, &TImageList::BitmapsChanged);
}

TImageList::~TImageList() = default;

TBitmap* TImageList::Bitmap(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  TBitmap* B = FBitmaps->Items(Index)->Bitmap();
  return B->IsEmpty() ? nullptr : B;
}

void TImageList::AddChangeListener(const void* Listener, std::function<void()> Changed) {
  FListeners[Listener] = std::move(Changed);
}

void TImageList::RemoveChangeListener(const void* Listener) { FListeners.erase(Listener); }

void TImageList::BitmapsChanged(TObject*) {
  // A listener may remove itself (or another) while told.
  auto Listeners = FListeners;
  for (auto& [Listener, Changed] : Listeners)
    if (FListeners.count(Listener)) Changed();
}
