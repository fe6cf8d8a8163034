#include "shell/styles/StyleLookup.h"

#include <algorithm>

#include "shell/controls/StyledControl.h"
#include "shell/core/MetaClass.h"
#include "shell/styles/StyleBook.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleManager.h"

namespace {
std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}

// A copy of what Tree holds under Name, or none.
TControl* CopyFrom(TTreeObject* Tree, const std::string& Name) {
  if (!Tree || Name.empty()) return nullptr;
  TTreeObject* Found = FindStyleObject(*Tree, Name);
  if (!Found) return nullptr;
  TControl* Copy = nullptr;
  if (auto* Container = dynamic_cast<TStyleContainer*>(Tree)) {
    Copy = Container->CreateCopy(*Found);
  } else {
    TComponent* Clone = CloneStyleObject(*Found);
    Copy = dynamic_cast<TControl*>(Clone);
    if (!Copy) {
      Clone->Free();
      return nullptr;
    }
    Copy->SetStyleName("");
    SetStyleSourceOfCopy(*Copy, Tree);
  }
  if (Copy) Copy->SetTagString(Lower(Name));
  return Copy;
}

TTreeObject* BookStyle(TComponent* Book) {
  auto* B = dynamic_cast<TStyleBook*>(Book);
  return B ? B->Style() : nullptr;
}
}  // namespace

TStyleBook* StyleBookOf(TTreeObject* RootObject) {
  if (!RootObject) return nullptr;
  const TPropInfo* P = RootObject->ClassType().FindProperty("StyleBook");
  if (!P || !P->GetObj) return nullptr;
  return dynamic_cast<TStyleBook*>(P->GetObj(RootObject));
}

TControl* LookupStyleObject(TStyledControl& Control) {
  TTreeObject* RootObject = Control.Root() ? Control.Root()->GetRootObject() : nullptr;
  TTreeObject* Book = BookStyle(StyleBookOf(RootObject));
  // The active style is asked for only when the book has not answered.
  TTreeObject* Active = nullptr;
  bool HaveActive = false;
  auto ActiveStyle = [&]() -> TTreeObject* {
    if (!HaveActive) {
      Active = TStyleManager::ActiveStyle(RootObject);
      HaveActive = true;
    }
    return Active;
  };
  TControl* Copy = nullptr;
  const std::string& Lookup = Control.StyleLookup();
  if (!Lookup.empty()) {
    Copy = CopyFrom(Book, Lookup);
    if (!Copy) Copy = CopyFrom(ActiveStyle(), Lookup);
    for (TTreeObject* Pooled : TStyleManager::StyleResources()) {
      if (Copy) break;
      Copy = CopyFrom(Pooled, Lookup);
    }
  }
  const std::string Default = Control.GetDefaultStyleLookupName();
  const std::string Parent = Control.GetParentClassStyleLookupName();
  if (!Copy) Copy = CopyFrom(Book, Default);
  if (!Copy) Copy = CopyFrom(Book, Parent);
  if (!Copy) Copy = CopyFrom(ActiveStyle(), Default);
  if (!Copy) Copy = CopyFrom(ActiveStyle(), Parent);
  if (Copy) Control.InsertComponent(Copy);
  return Copy;
}

const TTreeObject* StyleSourceOf(TStyledControl& Control) {
  if (!Control.Root()) return nullptr;
  return TStyleManager::ActiveStyle(Control.Root()->GetRootObject());
}

void InstallStyleLookup() {
  TStyledControl::SetStyleLookupProc([](TStyledControl& C) { return LookupStyleObject(C); },
                                     [](TStyledControl& C) { return StyleSourceOf(C); });
}

TControl* LookupStyleCopy(TComponent* Context, TComponent* StyleBook, const std::vector<std::string>& Names) {
  for (const std::string& Name : Names)
    if (TControl* Copy = CopyFrom(BookStyle(StyleBook), Name)) return Copy;
  TTreeObject* Active = TStyleManager::ActiveStyle(Context);
  for (const std::string& Name : Names)
    if (TControl* Copy = CopyFrom(Active, Name)) return Copy;
  return nullptr;
}
