#include "shell/script/PropertyPath.h"

#include <charconv>
#include <cstdio>
#include <vector>

#include "scene3d/Position3D.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/core/PropertyText.h"

namespace {
std::vector<std::string> Split(const std::string& S, char Sep) {
  std::vector<std::string> Parts(1);
  for (char C : S) {
    if (C == Sep)
      Parts.emplace_back();
    else
      Parts.back() += C;
  }
  return Parts;
}

// Text between two delimiters (appended, which also keeps GCC 12's restrict check quiet).
std::string Enclosed(char Open, const std::string& Text, char Close) {
  std::string S(1, Open);
  S += Text;
  S += Close;
  return S;
}

bool IsColorType(const TTypeInfo* T) { return T == &TypeInfos::AlphaColor(); }

// A string as a form writes it, 'it''s' with quotes doubled inside, or in double quotes as
// `get` prints it; anything else as it stands.
std::string Unquote(const std::string& Text) {
  if (Text.size() >= 2 && Text.front() == '"' && Text.back() == '"') return Text.substr(1, Text.size() - 2);
  if (Text.size() >= 2 && Text.front() == '\'' && Text.back() == '\'') {
    std::string S;
    for (size_t I = 1; I + 1 < Text.size(); ++I) {
      S += Text[I];
      if (Text[I] == '\'' && I + 2 < Text.size() && Text[I + 1] == '\'') ++I;
    }
    return S;
  }
  return Text;
}

long double ParseNumber(const std::string& Text) {
  double V = 0;
  const char* Begin = Text.data();
  if (!Text.empty() && Text[0] == '+') ++Begin;
  auto [Ptr, Ec] = std::from_chars(Begin, Text.data() + Text.size(), V);
  if (Text.empty() || Ec != std::errc() || Ptr != Text.data() + Text.size())
    throw EConvertError(Format("'%s' is not a valid number", {Text}));
  return V;
}

int64_t ParseInteger(const std::string& Text) {
  int64_t V = 0;
  auto [Ptr, Ec] = std::from_chars(Text.data(), Text.data() + Text.size(), V);
  if (Text.empty() || Ec != std::errc() || Ptr != Text.data() + Text.size())
    throw EConvertError(Format("'%s' is not a valid integer value", {Text}));
  return V;
}
}  // namespace

std::string FormatSingle(float Value) { return FormatSingleText(Value); }

TComponent* FindNamedComponent(TComponent* Root, const std::string& Name) {
  if (SameText(Root->Name(), Name)) return Root;
  if (TComponent* C = Root->FindComponent(Name)) return C;
  throw Exception(Format("Component %s not found", {Name}));
}

TPropertyTarget ResolvePropertyPath(TComponent* Root, const std::string& Path) {
  std::vector<std::string> Parts = Split(Path, '.');
  if (Parts.size() < 2) throw Exception(Format("Invalid property path %s", {Path}));
  TObject* Current = FindNamedComponent(Root, Parts[0]);
  for (size_t I = 1; I < Parts.size(); ++I) {
    const TPropInfo* Prop = Current->ClassType().FindProperty(Parts[I]);
    if (!Prop) throw Exception(Format("Property %s does not exist", {Parts[I]}));
    if (I + 1 == Parts.size()) return {Current, Prop};
    if (Prop->Kind() != TTypeKind::Class) throw Exception("Invalid property path");
    TObject* Next = Prop->GetObj(Current);
    if (!Next) throw Exception(Format("Property %s is nil", {Parts[I]}));
    Current = Next;
  }
  throw Exception(Format("Invalid property path %s", {Path}));
}

std::string FormatPropertyValue(TComponent* Root, const TPropertyTarget& Target) {
  const TPropInfo& P = *Target.Prop;
  TObject* O = Target.Instance;
  (void)Root;
  // Plain values have the notation that recordings write their checks in.
  if (std::optional<std::string> Plain = FormatPlainProperty(O, P)) return *Plain;
  if (P.Kind() == TTypeKind::Method) {
    const TMethod M = P.GetMethod(O);
    if (!M.Assigned()) return "nil";
    if (M.Data) {
      if (const TMethodInfo* Info = M.Data->ClassType().FindMethodByCode(M.Code)) return Info->Name;
    }
    return "?";
  }
  TObject* V = P.GetObj(O);
  if (!V) return "nil";
  if (auto* Pos = dynamic_cast<TPosition3D*>(V))
    return Enclosed('(', FormatSingle(Pos->X()) + ", " + FormatSingle(Pos->Y()) + ", " + FormatSingle(Pos->Z()), ')');
  if (auto* C = dynamic_cast<TComponent*>(V)) return C->Name().empty() ? Enclosed('(', C->ClassName(), ')') : C->Name();
  return Enclosed('(', V->ClassName(), ')');
}

void ParsePropertyValue(TComponent* Root, const TPropertyTarget& Target, const std::string& Text) {
  const TPropInfo& P = *Target.Prop;
  TObject* O = Target.Instance;
  const TTypeInfo& T = *P.Type;
  if (!P.Writable()) throw Exception("Property is read-only");
  switch (T.Kind) {
    case TTypeKind::Float:
      P.SetFloat(O, ParseNumber(Text));
      return;
    case TTypeKind::Enumeration: {
      const int Index = T.IndexOfName(Text);
      if (Index < 0) throw Exception(InvalidValueMessage(T, Text));
      P.SetOrd(O, Index);
      return;
    }
    case TTypeKind::Set: {
      std::string Inner = Text;
      if (Inner.size() >= 2 && Inner.front() == '[' && Inner.back() == ']') Inner = Inner.substr(1, Inner.size() - 2);
      int64_t Bits = 0;
      for (std::string Name : Split(Inner, ',')) {
        while (!Name.empty() && Name.front() == ' ') Name.erase(Name.begin());
        while (!Name.empty() && Name.back() == ' ') Name.pop_back();
        if (Name.empty()) continue;
        const int Index = T.IndexOfName(Name);
        if (Index < 0) throw Exception(InvalidValueMessage(T, Name));
        Bits |= int64_t{1} << Index;
      }
      P.SetOrd(O, Bits);
      return;
    }
    case TTypeKind::String:
      P.SetStr(O, Unquote(Text));
      return;
    case TTypeKind::Method: {
      if (Text == "nil") {
        P.SetMethod(O, TMethod{});
        return;
      }
      const TMethodInfo* Info = Root->ClassType().FindMethod(Text);
      if (!Info) throw Exception("Invalid property value");
      P.SetMethod(O, TMethod{Info->Code, Root});
      return;
    }
    case TTypeKind::Class: {
      if (Text == "nil") {
        P.SetObj(O, nullptr);
        return;
      }
      TObject* Current = P.GetObj(O);
      if (auto* Pos = dynamic_cast<TPosition3D*>(Current)) {
        std::string Tuple = Text;
        float V[3];
        if (ParseFloatTuple(Tuple, V, 3) != 3) throw Exception("Invalid property value");
        Pos->SetPoint({V[0], V[1], V[2]});
        return;
      }
      P.SetObj(O, FindNamedComponent(Root, Text));
      return;
    }
    default: {
      if (IsColorType(&T)) {
        int64_t Color = 0;
        std::string Ident = Text;  // "#AARRGGBB" is read as the identifier "xAARRGGBB"
        if (!Ident.empty() && Ident[0] == '#') Ident[0] = 'x';
        if (!IdentToAlphaColor(Ident, Color)) throw Exception(InvalidValueMessage(T, Text));
        P.SetOrd(O, Color);
        return;
      }
      P.SetOrd(O, ParseInteger(Text));
      return;
    }
  }
}
