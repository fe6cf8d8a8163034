#include "tools/form/FormWarnings.h"

#include <sstream>

#include "scene3d/Control3D.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Viewport3D.h"
#include "shell/controls/Control.h"
#include "shell/core/Component.h"
#include "shell/core/MetaClass.h"
#include "tools/form/FormFile.h"

namespace {
// Line Number of Text, 1-based; empty beyond the end.
std::string LineOf(const std::string& Text, int Number) {
  std::istringstream In(Text);
  std::string Line;
  for (int I = 1; std::getline(In, Line); ++I)
    if (I == Number) return Line;
  return "";
}

std::string Trimmed(const std::string& S) {
  const size_t B = S.find_first_not_of(" \t\r");
  if (B == std::string::npos) return "";
  return S.substr(B, S.find_last_not_of(" \t\r") - B + 1);
}

std::string Label(TComponent* C) { return C->Name().empty() ? C->ClassName() : C->Name(); }

void Collect(TComponent* C, std::vector<TComponent*>& Out) {
  for (int I = 0; I < C->ComponentCount(); ++I) {
    Out.push_back(C->Components(I));
    Collect(C->Components(I), Out);
  }
}
}  // namespace

std::vector<std::string> FormWarnings(const std::string& Path, const std::string& Text, TComponent* Form) {
  std::vector<std::string> Warnings;
  auto Warn = [&](int Line, const std::string& Message) {
    std::string W = Path;
    if (Line > 0) {
      W += ':';
      W += std::to_string(Line);
    }
    W += ": warning: ";
    W += Message;
    Warnings.push_back(W);
  };
  std::vector<TComponent*> All{Form};
  Collect(Form, All);
  for (TComponent* C : All) {
    if (C->Name().empty()) continue;
    const int ObjectLine = FindPropertyLine(Text, C->Name(), "");
    // References stored by name that nothing of that name answered.
    for (const TPropInfo* P : C->ClassType().AllProperties()) {
      if (P->Kind() != TTypeKind::Class || !P->GetObj || !P->Type->ClassType()) continue;
      if (!P->Type->ClassType()->InheritsFrom(TComponent::StaticClass())) continue;
      if (P->GetObj(C)) continue;
      const int Line = FindPropertyLine(Text, C->Name(), P->Name);
      if (Line <= 0 || Line == ObjectLine) continue;
      const std::string Stored = LineOf(Text, Line);
      const size_t Equals = Stored.find('=');
      const std::string Value = Equals == std::string::npos ? "" : Trimmed(Stored.substr(Equals + 1));
      if (Value.empty() || Value == "nil") continue;
      Warn(Line,
           C->Name() + "." + P->Name + " names " + Value + ", which the form does not hold: it is nil");
    }
    // Objects whose parent does not draw them.
    auto* Tree = dynamic_cast<TTreeObject*>(C);
    TTreeObject* Parent = Tree ? Tree->Parent() : nullptr;
    if (!Parent) continue;
    if (dynamic_cast<TControl3D*>(C) && !dynamic_cast<TControl3D*>(Parent) && !dynamic_cast<IViewport3D*>(Parent))
      Warn(ObjectLine,
           "the 3D object " + Label(C) + " is in " + Label(Parent) +
               ", which draws no 3D objects: it is not drawn (3D objects go in a TViewport3D or another 3D object)");
    if (dynamic_cast<TControl*>(C) && dynamic_cast<TControl3D*>(Parent) && !dynamic_cast<TCustomLayer3D*>(Parent))
      Warn(ObjectLine,
           "the control " + Label(C) + " is in the 3D object " + Label(Parent) +
               ", which draws no controls: it is not drawn (controls on a 3D scene go on a TLayer3D)");
  }
  return Warnings;
}
