#pragma once
// TCollection and TCollectionItem: an owned, ordered list of persistent items of one class,
// stored in a form as a collection value.
#include <functional>
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Persistent.h"

class TCollection;

/// An item of a TCollection; derive from it for the items of a collection property.
class KELVANE_API TCollectionItem : public TPersistent {
  KLV_CLASS(TCollectionItem)
 public:
  TCollectionItem() = default;
  TCollection* Collection() const { return FCollection; }
  int Index() const;
  int ID() const { return FID; }

 protected:
  /// Tells the collection that this item (or all items) changed.
  void Changed(bool AllItems);

 private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};

/// An owned, ordered list of items of one class, stored in a form as a collection value.
class KELVANE_API TCollection : public TPersistent {
  KLV_CLASS(TCollection)
 public:
  using TItemFactory = std::function<TCollectionItem*()>;

  TCollection(const TMetaClass& ItemClass, TItemFactory Factory);
  ~TCollection() override;

  const TMetaClass& ItemClass() const { return FItemClass; }
  int Count() const { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const { return FItems.at(static_cast<size_t>(Index)).get(); }
  TCollectionItem* Add();
  void Delete(int Index);
  void Clear();
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }
  /// Same-class collections copy item by item.
  void Assign(TPersistent* Source) override;

 protected:
  /// Called after every change outside an update bracket; Item is none when all changed.
  virtual void Update(TCollectionItem*) {}

 private:
  friend class TCollectionItem;
  void Changed(TCollectionItem* Item);

  const TMetaClass& FItemClass;
  TItemFactory FFactory;
  std::vector<std::unique_ptr<TCollectionItem>> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};
