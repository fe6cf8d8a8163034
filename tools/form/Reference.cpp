#include "tools/form/Reference.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <ostream>

#include "shell/core/AlphaColor.h"
#include "shell/core/ClassRegistry.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/core/ScopeExit.h"

namespace {
std::string Join(const std::vector<std::string>& Names) {
  std::string S;
  for (const std::string& N : Names) S += (S.empty() ? "" : ", ") + N;
  return S;
}

std::string Hex(int64_t V) {
  char Text[16];
  std::snprintf(Text, sizeof Text, "x%08X", static_cast<unsigned>(V & 0xFFFFFFFF));
  return Text;
}

std::string Number(long double V, TFloatType Type) {
  char Text[64];
  auto [End, Ec] = Type == TFloatType::Single ? std::to_chars(Text, Text + sizeof Text, static_cast<float>(V))
                                              : std::to_chars(Text, Text + sizeof Text, static_cast<double>(V));
  (void)Ec;
  return std::string(Text, End);
}

bool IsColour(const TTypeInfo& T) { return T.IdentToInt == TypeInfos::AlphaColor().IdentToInt && T.IdentToInt; }

// An ordinal value as a form writes it.
std::string OrdinalText(const TTypeInfo& T, int64_t V) {
  switch (T.Kind) {
    case TTypeKind::Enumeration:
      return V >= 0 && V < static_cast<int64_t>(T.Names.size()) ? T.Names[static_cast<size_t>(V)] : std::to_string(V);
    case TTypeKind::Set: {
      std::vector<std::string> In;
      for (size_t I = 0; I < T.Names.size(); ++I)
        if ((V >> I) & 1) In.push_back(T.Names[I]);
      // Appended, which also keeps GCC 12's restrict check quiet.
      std::string S = "[";
      S += Join(In);
      S += "]";
      return S;
    }
    default:
      if (IsColour(T)) {
        std::string Name;
        return AlphaColorToIdent(V, Name) ? Name : Hex(V);
      }
      return std::to_string(V);
  }
}

// The value of P on Instance (when there is one) or its registered default, as a form writes
// it; empty when neither is known.
std::string DefaultText(const TPropInfo& P, TObject* Instance) {
  const TTypeInfo& T = *P.Type;
  switch (T.Kind) {
    case TTypeKind::Float:
      if (Instance && P.GetFloat) return Number(P.GetFloat(Instance), T.FloatType);
      return P.FloatDefault ? Number(*P.FloatDefault, T.FloatType) : "";
    case TTypeKind::String:
    case TTypeKind::Char:
    case TTypeKind::WChar:
      if (Instance && P.GetStr) {
        std::string S = "'";
        for (char C : P.GetStr(Instance)) S += C == '\'' ? std::string("''") : std::string(1, C);
        return S + "'";
      }
      if (Instance && P.GetOrd) return OrdinalText(T, P.GetOrd(Instance));
      return "";
    case TTypeKind::Method:
      return "";
    case TTypeKind::Class:
      return "";
    default:
      if (Instance && P.GetOrd) return OrdinalText(T, P.GetOrd(Instance));
      return P.OrdDefault ? OrdinalText(T, *P.OrdDefault) : "";
  }
}

std::string TypeText(const TPropInfo& P) {
  const TTypeInfo& T = *P.Type;
  if (T.Kind == TTypeKind::Class && T.ClassType()) return T.ClassType()->Name();
  return T.Name.empty() ? "?" : T.Name;
}

void DescribeProperties(std::ostream& Out, const TMetaClass& Class, TObject* Instance, const std::string& Prefix,
                        int Depth) {
  for (const TPropInfo* P : Class.AllProperties()) {
    const TTypeInfo& T = *P->Type;
    const std::string Path = Prefix + P->Name;
    if (T.Kind == TTypeKind::Class) {
      const TMetaClass* Of = T.ClassType();
      TObject* Sub = Instance && P->GetObj ? P->GetObj(Instance) : nullptr;
      const bool Reference = !Of || Of->InheritsFrom(TComponent::StaticClass());
      if (Reference) {
        Out << Path << ": " << TypeText(*P) << " (the name of a component of the form)\n";
        continue;
      }
      // A persistent part of the object: its own properties under the dotted path.
      Out << Path << ": " << TypeText(*P) << "\n";
      const TMetaClass& SubClass = Sub ? Sub->ClassType() : *Of;
      if (Depth < 4) DescribeProperties(Out, SubClass, Sub, Path + ".", Depth + 1);
      continue;
    }
    Out << Path << ": " << TypeText(*P);
    if (const std::string D = DefaultText(*P, Instance); !D.empty()) Out << " = " << D;
    if (T.Kind == TTypeKind::Enumeration && !T.Names.empty()) Out << " (one of " << Join(T.Names) << ")";
    if (T.Kind == TTypeKind::Set) Out << " (set of " << Join(T.Names) << ")";
    if (T.Kind == TTypeKind::Method) Out << " (a method of the form's class)";
    if (IsColour(T)) Out << " (a colour name, or xAARRGGBB)";
    if (!P->Writable()) Out << " (read-only)";
    Out << "\n";
  }
}

// Forms need a window to exist; everything else is made bare to read its defaults.
bool MadeWithoutWindow(const TMetaClass& Class) {
  for (const TMetaClass* C = &Class; C; C = C->Parent())
    if (C->Name() == "TCommonCustomForm") return false;
  return Class.CanCreate();
}
}  // namespace

void PrintClasses(std::ostream& Out) {
  std::vector<const TMetaClass*> Classes = RegisteredClasses();
  std::sort(Classes.begin(), Classes.end(), [](const TMetaClass* A, const TMetaClass* B) { return A->Name() < B->Name(); });
  for (const TMetaClass* C : Classes) Out << C->Name() << (C->Parent() ? ": " + C->Parent()->Name() : "") << "\n";
}

void DescribeClass(std::ostream& Out, const std::string& Name) {
  const TMetaClass* Class = GetClass(Name);
  if (!Class) throw EClassNotFound(Format("Class %s not found", {Name}));
  Out << Class->Name();
  for (const TMetaClass* P = Class->Parent(); P; P = P->Parent()) Out << (P == Class->Parent() ? ": " : " < ") << P->Name();
  Out << "\n";
  TComponent* Instance = nullptr;
  if (MadeWithoutWindow(*Class)) {
    try {
      Instance = Class->Create(nullptr);
    } catch (const std::exception&) {
      Instance = nullptr;  // the registered defaults only
    }
  }
  TScopeExit Free([Instance] {
    if (Instance) Instance->Free();
  });
  DescribeProperties(Out, *Class, Instance, "", 0);
}

void PrintColours(std::ostream& Out) {
  for (const TNamedAlphaColor& N : AlphaColorNames()) Out << N.Name << " " << Hex(N.Value) << "\n";
}
