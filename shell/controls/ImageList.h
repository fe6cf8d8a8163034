#pragma once
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "shell/canvas/Bitmap.h"
#include "shell/core/Collection.h"
#include "shell/core/Component.h"

/// One bitmap of an image list, stored in the form as PNG data.
class KELVANE_API TImageListItem : public TCollectionItem {
  KLV_CLASS(TImageListItem)
 public:
  TImageListItem();
  ~TImageListItem() override;

  TBitmap* Bitmap() const { return FBitmap.get(); }
  /// Copies the pixels of Value.
  void SetBitmap(TBitmap* Value);
  /// Raises EBitmapLoadingFailed when Data is no readable PNG.
  void LoadFromPNG(const std::vector<uint8_t>& Data);

  void Assign(TPersistent* Source) override;
  void DefineProperties(TFiler& Filer) override;

 private:
  std::unique_ptr<TBitmap> FBitmap;
};

/// The bitmaps of an image list, by index.
class KELVANE_API TImageListItems : public TCollection {
  KLV_CLASS(TImageListItems)
 public:
  TImageListItems();

  TImageListItem* Items(int Index) const { return static_cast<TImageListItem*>(TCollection::Items(Index)); }
  TImageListItem* Add() { return static_cast<TImageListItem*>(TCollection::Add()); }

  TNotifyEvent OnChanged;

 protected:
  void Update(TCollectionItem*) override { OnChanged(this); }
};

/// TImageList: a component that holds bitmaps by index, which controls show by their ImageIndex
/// (a button's image in its style's glyph). Each bitmap is stored in a form as PNG data.
class KELVANE_API TImageList : public TComponent {
  KLV_CLASS(TImageList)
 public:
  explicit TImageList(TComponent* AOwner);
  ~TImageList() override;

  TImageListItems* Bitmaps() const { return FBitmaps.get(); }
  void SetBitmaps(TImageListItems* Value) { FBitmaps->Assign(Value); }
  int Count() const { return FBitmaps->Count(); }
  /// The bitmap at Index; none when Index is out of range or the bitmap is empty.
  TBitmap* Bitmap(int Index) const;

  /// Changed runs whenever a bitmap is added, removed or changed, until the listener (any
  /// object, as a key) is removed. The controls that show the list's images listen.
  void AddChangeListener(const void* Listener, std::function<void()> Changed);
  void RemoveChangeListener(const void* Listener);

 private:
  void BitmapsChanged(TObject*);

  std::unique_ptr<TImageListItems> FBitmaps;
  std::map<const void*, std::function<void()>> FListeners;
};
