#include "shell/styles/StyleContainer.h"

#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleObject.h"

const TMetaClass& TStyleContainer::StaticClass() {
  return ClassRecord<TStyleContainer>("TStyleContainer", &TControl::StaticClass(), [](auto& B) { B.Creatable(); });
}

TStyleContainer::TStyleContainer(TComponent* AOwner) : TControl(AOwner) {}

TStyleContainer::~TStyleContainer() = default;

void TStyleContainer::AddItem(TTreeObject* Object, std::vector<uint8_t> Data) {
  if (!Object) return;
  if (Object->Owner() != this) {
    if (Object->Owner()) Object->Owner()->RemoveComponent(Object);
    InsertComponent(Object);
  }
  AddObject(Object);
  if (!Data.empty()) FItemData[Object] = std::move(Data);
}

const std::vector<uint8_t>* TStyleContainer::ItemData(const TTreeObject* Object) const {
  auto It = FItemData.find(Object);
  return It == FItemData.end() ? nullptr : &It->second;
}

TTreeObject* TStyleContainer::FindStyleResource(const std::string& Name) {
  if (!FDictionaryValid) {
    FDictionary.Build(*this);
    FDictionaryValid = true;
  }
  return FDictionary.Find(Name);
}

TStyleDescription* TStyleContainer::Description() const {
  for (TTreeObject* Child : ChildList())
    if (auto* D = dynamic_cast<TStyleDescription*>(Child)) return D;
  return nullptr;
}

TControl* TStyleContainer::CreateCopy(TTreeObject& Found) {
  TComponent* Copy = nullptr;
  if (const std::vector<uint8_t>* Data = Found.Parent() == this ? ItemData(&Found) : nullptr) {
    Copy = ReadStyleObject(*Data);
  } else {
    Copy = CloneStyleObject(Found);
    if (auto* Tree = dynamic_cast<TTreeObject*>(Copy)) Tree->SetStyleName("");
  }
  auto* Control = dynamic_cast<TControl*>(Copy);
  if (!Control) {
    // Only controls can be attached to a control.
    if (Copy) Copy->Free();
    return nullptr;
  }
  SetStyleSourceOfCopy(*Control, this);
  return Control;
}

void TStyleContainer::ChangeChildren() {
  FDictionaryValid = false;
  TControl::ChangeChildren();
}

void TStyleContainer::DoRemoveObject(TTreeObject* AObject) {
  FItemData.erase(AObject);
  TControl::DoRemoveObject(AObject);
}

TTreeObject* FindStyleObject(TTreeObject& Tree, const std::string& Name) {
  if (auto* Container = dynamic_cast<TStyleContainer*>(&Tree)) return Container->FindStyleResource(Name);
  TStyleDictionary Dictionary;
  Dictionary.Build(Tree);
  return Dictionary.Find(Name);
}

void SetStyleSourceOfCopy(TTreeObject& Copy, TComponent* Source) {
  if (auto* Object = dynamic_cast<TCustomStyleObject*>(&Copy)) Object->SetStyleSource(Source);
  for (TTreeObject* Child : Copy.ChildList()) SetStyleSourceOfCopy(*Child, Source);
}
