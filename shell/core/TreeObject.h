#pragma once
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Component.h"

/// TTreeObject: the node of the object tree of 2D and 3D objects: a parent and ordered children.
class KELVANE_API TTreeObject : public TComponent {
  KLV_CLASS(TTreeObject)
 public:
  explicit TTreeObject(TComponent* AOwner);
  ~TTreeObject() override;

  TTreeObject* Parent() const { return FParent; }
  /// Moves the object under Value (or out of the tree); a descendant of the object is refused.
  void SetParent(TTreeObject* Value);
  int ChildrenCount() const { return static_cast<int>(FChildren.size()); }
  TTreeObject* Children(int Index) const { return FChildren.at(static_cast<size_t>(Index)); }
  const std::vector<TTreeObject*>& ChildList() const { return FChildren; }
  int Index() const;
  /// Whether AObject lies in this object's subtree (the object itself excluded).
  bool IsChild(const TTreeObject* AObject) const;

  void AddObject(TTreeObject* AObject);
  void InsertObject(int Index, TTreeObject* AObject);
  void RemoveObject(TTreeObject* AObject);
  void DeleteChildren();
  void SetChildIndex(TTreeObject* Child, int NewIndex);

  void SetParentComponent(TComponent* Value) override;
  TComponent* GetParentComponent() const override { return FParent; }
  bool HasParent() const override { return true; }
  void SetChildOrder(TComponent* Child, int Order) override;
  /// The root's parentless components, then the tree children that Root owns and that are stored.
  void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) override;
  /// Whether a stream stores the object; built-in parts (a viewport's own camera) are not.
  bool Stored() const { return FStored; }
  void SetStored(bool Value) { FStored = Value; }
  void DefineProperties(TFiler& Filer) override;

  /// The name under which style trees find the object, compared without regard to case.
  const std::string& StyleName() const { return FStyleName; }
  void SetStyleName(const std::string& Value) { FStyleName = Value; }
  /// Free values for the object's users: a style copy's TagString is the name it was found
  /// under, a style tag's TagFloat a metric.
  float TagFloat() const { return FTagFloat; }
  void SetTagFloat(float Value) { FTagFloat = Value; }
  const std::string& TagString() const { return FTagString; }
  void SetTagString(const std::string& Value) { FTagString = Value; }

 protected:
  void BeforeDestruction() override;
  /// Hooks of the tree: the base keeps the lists; derived classes react after calling it.
  virtual void DoAddObject(TTreeObject* AObject);
  virtual void DoInsertObject(int Index, TTreeObject* AObject);
  virtual void DoRemoveObject(TTreeObject* AObject);
  virtual void ChangeParent() {}
  virtual void ChangeChildren() {}
  virtual void ChangeOrder() {}

 private:
  void CheckCircular(const TTreeObject* NewParent) const;

  TTreeObject* FParent = nullptr;
  std::vector<TTreeObject*> FChildren;
  bool FStored = true;
  std::string FStyleName;
  float FTagFloat = 0;
  std::string FTagString;
};
