#include "shell/core/MetaClass.h"

#include <map>

#include "shell/core/ClassRegistry.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"

bool TPropInfo::ShouldStore(TObject* Instance) const {
  if (IsStored && !IsStored(Instance)) return false;
  switch (Kind()) {
    case TTypeKind::Float:
      return !FloatDefault || GetFloat(Instance) != *FloatDefault;
    case TTypeKind::String:
      return !GetStr(Instance).empty();
    case TTypeKind::Method:
      return GetMethod(Instance).Assigned();
    case TTypeKind::Class:
      return true;
    default:
      return !OrdDefault || GetOrd(Instance) != *OrdDefault;
  }
}

bool TMetaClass::InheritsFrom(const TMetaClass& Other) const {
  for (const TMetaClass* C = this; C; C = C->FParent)
    if (C == &Other) return true;
  return false;
}

TComponent* TMetaClass::Create(TComponent* Owner) const {
  if (!FFactory) throw EClassNotFound(Format("Class %s not found", {FName}));
  return FFactory(Owner);
}

const TPropInfo* TMetaClass::FindProperty(const std::string& Name) const {
  for (const TMetaClass* C = this; C; C = C->FParent)
    for (const TPropInfo& P : C->FProps)
      if (SameText(P.Name, Name)) return &P;
  return nullptr;
}

const TFieldInfo* TMetaClass::FindField(const std::string& Name) const {
  for (const TMetaClass* C = this; C; C = C->FParent)
    for (const TFieldInfo& F : C->FFields)
      if (SameText(F.Name, Name)) return &F;
  return nullptr;
}

const TMethodInfo* TMetaClass::FindMethod(const std::string& Name) const {
  for (const TMetaClass* C = this; C; C = C->FParent)
    for (const TMethodInfo& M : C->FMethods)
      if (SameText(M.Name, Name)) return &M;
  return nullptr;
}

std::vector<const TMethodInfo*> TMetaClass::AllMethods() const {
  std::vector<const TMethodInfo*> Out;
  if (FParent) Out = FParent->AllMethods();
  for (const TMethodInfo& M : FMethods) Out.push_back(&M);
  return Out;
}

const TMethodInfo* TMetaClass::FindMethodByCode(TMethod::TCode Code) const {
  for (const TMetaClass* C = this; C; C = C->FParent)
    for (const TMethodInfo& M : C->FMethods)
      if (M.Code == Code) return &M;
  return nullptr;
}

std::vector<const TPropInfo*> TMetaClass::AllProperties() const {
  std::vector<const TMetaClass*> Chain;
  for (const TMetaClass* C = this; C; C = C->FParent) Chain.push_back(C);
  std::vector<const TPropInfo*> Result;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    for (const TPropInfo& P : (*It)->FProps) {
      // A descendant that republishes a property replaces the ancestor's entry in place.
      bool Replaced = false;
      for (const TPropInfo*& Existing : Result)
        if (SameText(Existing->Name, P.Name)) {
          Existing = &P;
          Replaced = true;
        }
      if (!Replaced) Result.push_back(&P);
    }
  return Result;
}

std::vector<const TFieldInfo*> TMetaClass::AllFields() const {
  std::vector<const TMetaClass*> Chain;
  for (const TMetaClass* C = this; C; C = C->FParent) Chain.push_back(C);
  std::vector<const TFieldInfo*> Result;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    for (const TFieldInfo& F : (*It)->FFields) Result.push_back(&F);
  return Result;
}

TPropInfo& TMetaClass::AddProperty(TPropInfo P) {
  FProps.push_back(std::move(P));
  return FProps.back();
}

namespace {
std::map<std::string, const TMetaClass*>& Registry() {
  static std::map<std::string, const TMetaClass*> Classes;
  return Classes;
}
}  // namespace

void RegisterClass(const TMetaClass& Class) { Registry()[UpperCase(Class.Name())] = &Class; }

const TMetaClass* GetClass(const std::string& Name) {
  auto It = Registry().find(UpperCase(Name));
  return It == Registry().end() ? nullptr : It->second;
}

std::vector<const TMetaClass*> RegisteredClasses() {
  std::vector<const TMetaClass*> Classes;
  for (const auto& [Name, Class] : Registry()) Classes.push_back(Class);
  return Classes;
}

void RaiseInvalidCast(TObject* Value, const TMetaClass& Expected) {
  throw EConvertError(Format("Cannot assign a %s to a %s", {Value->ClassName(), Expected.Name()}));
}
