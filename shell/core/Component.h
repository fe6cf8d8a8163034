#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Persistent.h"

class IComponentReader;

enum TComponentStateFlag {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating, csFixups,
  csFreeNotification, csInline, csDesignInstance
};
using TComponentState = TSet<TComponentStateFlag>;

enum TComponentStyleFlag { csInheritable, csCheckPropAvail, csSubComponent, csTransient };
using TComponentStyle = TSet<TComponentStyleFlag>;

enum TOperation { opInsert, opRemove };

/// TComponent: a named object with an owner that frees it, a state set and free notifications.
class KELVANE_API TComponent : public TPersistent {
  KLV_CLASS(TComponent)
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  /// Frees the component: the teardown that needs the whole object runs first, then delete.
  void Free();

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const { return FComponents.at(static_cast<size_t>(Index)); }
  int ComponentIndex() const;
  TComponent* FindComponent(const std::string& AName) const;
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  void DestroyComponents();

  const std::string& Name() const { return FName; }
  virtual void SetName(const std::string& NewName);

  TComponentState ComponentState() const { return FComponentState; }
  void IncludeState(TComponentStateFlag Flag) { FComponentState.Include(Flag); }
  void ExcludeState(TComponentStateFlag Flag) { FComponentState.Exclude(Flag); }
  bool IsLoading() const { return FComponentState.Contains(csLoading); }
  bool IsDestroying() const { return FComponentState.Contains(csDestroying); }
  TComponentStyle ComponentStyle() const { return FComponentStyle; }
  void SetSubComponent(bool IsSubComponent);

  int64_t Tag() const { return FTag; }
  void SetTag(int64_t Value) { FTag = Value; }
  uint32_t DesignInfo() const { return FDesignInfo; }
  void SetDesignInfo(uint32_t Value) { FDesignInfo = Value; }

  /// Asks for a Notification(this-going, opRemove) when AComponent is freed, and the reverse.
  /// It is how a component hears that one it refers to goes: an owner hears of its own
  /// components' insertion and removal, but does not relay that to each of them.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);
  virtual void Notification(TComponent* AComponent, TOperation Operation);

  /// Called once after a stored description has been read; ends the loading state.
  virtual void Loaded();
  /// Reads the component's own data from a stream; a class that needs to prepare for its data,
  /// or to finish after it, overrides it and calls the inherited one.
  virtual void ReadState(IComponentReader& Reader);

  /// The stream's view of the component tree.
  virtual void SetParentComponent(TComponent*) {}
  virtual TComponent* GetParentComponent() const { return nullptr; }
  virtual bool HasParent() const { return false; }
  virtual TComponent* GetChildOwner() { return nullptr; }
  virtual TComponent* GetChildParent() { return this; }
  virtual void SetChildOrder(TComponent*, int) {}
  /// Calls Proc for each component that a stream stores nested in this one. For the root of a
  /// stream (Root == this) those are its owned components that have no parent.
  virtual void GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root);

  void DefineProperties(TFiler& Filer) override;
  std::string GetNamePath() const override { return FName.empty() ? ClassName() : FName; }

  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName);

 protected:
  /// The teardown of a component while it is still whole: derived classes extend it and call
  /// the inherited one last.
  virtual void BeforeDestruction();
  virtual void Destroying();
  virtual void ChangeName(const std::string& NewName) { FName = NewName; }
  /// Points the owner's published field of this name at the component (or clears it).
  void SetReference(bool Enable);

 private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void RemoveNotification(TComponent* AComponent);
  void TearDown();
  void IndexName(TComponent* AComponent);
  void UnindexName(TComponent* AComponent, const std::string& Name);

  TComponent* FOwner = nullptr;
  std::vector<TComponent*> FComponents;
  /// The named ones among FComponents by upper-case name, so that naming and finding a
  /// component cost the same however many the owner has.
  std::unordered_map<std::string, TComponent*> FNames;
  bool FSharedNames = false;  // two of FComponents have had the same name
  std::vector<TComponent*> FFreeNotifies;
  std::string FName;
  TComponentState FComponentState;
  TComponentStyle FComponentStyle{csInheritable};
  int64_t FTag = 0;
  uint32_t FDesignInfo = 0;
  bool FTornDown = false;
};

/// Frees a component through TComponent::Free; for owning smart pointers.
struct KELVANE_API TComponentDeleter {
  void operator()(TComponent* C) const {
    if (C) C->Free();
  }
};
