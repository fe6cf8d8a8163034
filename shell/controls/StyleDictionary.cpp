#include "shell/controls/StyleDictionary.h"

#include <algorithm>
#include <cctype>

#include "shell/controls/StyledControl.h"

namespace {
std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}
}  // namespace

void TStyleDictionary::Build(const TTreeObject& Root) {
  FItems.clear();
  AddChildren(Root, false);
}

void TStyleDictionary::AddChildren(const TTreeObject& Parent, bool Nested) {
  const std::string ParentName = Nested ? Lower(Parent.StyleName()) : std::string();
  for (TTreeObject* Child : Parent.ChildList()) {
    if (!Child->StyleName().empty()) {
      const std::string Name = Lower(Child->StyleName());
      FItems[Name] = Child;
      if (!ParentName.empty()) FItems[ParentName + "." + Name] = Child;
    }
    // A styled control inside a style has a style of its own, which is its business.
    if (!dynamic_cast<TStyledControl*>(Child)) AddChildren(*Child, true);
  }
}

TTreeObject* TStyleDictionary::Find(const std::string& Name) const {
  auto It = FItems.find(Lower(Name));
  return It == FItems.end() ? nullptr : It->second;
}
