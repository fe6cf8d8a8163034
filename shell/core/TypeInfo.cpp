#include "shell/core/TypeInfo.h"

#include "shell/core/AlphaColor.h"

bool SameText(const std::string& A, const std::string& B) {
  if (A.size() != B.size()) return false;
  for (size_t I = 0; I < A.size(); ++I) {
    unsigned char X = static_cast<unsigned char>(A[I]);
    unsigned char Y = static_cast<unsigned char>(B[I]);
    if (X >= 'a' && X <= 'z') X -= 32;
    if (Y >= 'a' && Y <= 'z') Y -= 32;
    if (X != Y) return false;
  }
  return true;
}

std::string UpperCase(const std::string& S) {
  std::string R = S;
  for (char& C : R)
    if (C >= 'a' && C <= 'z') C = static_cast<char>(C - 32);
  return R;
}

bool IsValidIdent(const std::string& Ident, bool AllowDots) {
  if (Ident.empty()) return false;
  auto Alpha = [](char C) { return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z') || C == '_'; };
  auto Digit = [](char C) { return C >= '0' && C <= '9'; };
  if (!Alpha(Ident[0])) return false;
  for (size_t I = 1; I < Ident.size(); ++I) {
    char C = Ident[I];
    if (Alpha(C) || Digit(C)) continue;
    if (AllowDots && C == '.' && Ident[I - 1] != '.' && I + 1 < Ident.size()) continue;
    return false;
  }
  return true;
}

std::string InvalidValueMessage(const TTypeInfo& Type, const std::string& Value) {
  std::string Message = "Invalid property value";
  const bool Named = (Type.Kind == TTypeKind::Enumeration || Type.Kind == TTypeKind::Set) && !Type.Names.empty();
  const bool Colour = Type.IdentToInt && Type.IdentToInt == TypeInfos::AlphaColor().IdentToInt;
  if (!Named && !Colour) return Message;
  if (!Value.empty()) Message += ": " + Value;
  if (Colour) return Message + " (expected a colour name such as claRed, or xAARRGGBB)";
  Message += " (expected ";
  for (size_t I = 0; I < Type.Names.size(); ++I) Message += (I ? ", " : "") + Type.Names[I];
  return Message + ")";
}

int TTypeInfo::IndexOfName(const std::string& Ident) const {
  for (size_t I = 0; I < Names.size(); ++I)
    if (SameText(Names[I], Ident)) return static_cast<int>(I);
  return -1;
}

TTypeInfo MakeNamedType(const char* Name, TTypeKind Kind, std::vector<std::string> Names) {
  TTypeInfo T;
  T.Name = Name;
  T.Kind = Kind;
  T.Names = std::move(Names);
  return T;
}

namespace TypeInfos {
namespace {
TTypeInfo MakeFloat(const char* Name, TFloatType F) {
  TTypeInfo T = MakeNamedType(Name, TTypeKind::Float);
  T.FloatType = F;
  return T;
}
}  // namespace

const TTypeInfo& Boolean() {
  static const TTypeInfo T = [] {
    TTypeInfo B = MakeNamedType("Boolean", TTypeKind::Enumeration);
    B.Names = {"False", "True"};
    return B;
  }();
  return T;
}
const TTypeInfo& Integer() {
  static const TTypeInfo T = MakeNamedType("Integer", TTypeKind::Integer);
  return T;
}
const TTypeInfo& Cardinal() {
  static const TTypeInfo T = [] {
    TTypeInfo C = MakeNamedType("Cardinal", TTypeKind::Integer);
    C.Unsigned = true;
    return C;
  }();
  return T;
}
const TTypeInfo& Int64() {
  static const TTypeInfo T = MakeNamedType("Int64", TTypeKind::Int64);
  return T;
}
const TTypeInfo& Single() {
  static const TTypeInfo T = MakeFloat("Single", TFloatType::Single);
  return T;
}
const TTypeInfo& Double() {
  static const TTypeInfo T = MakeFloat("Double", TFloatType::Double);
  return T;
}
const TTypeInfo& Extended() {
  static const TTypeInfo T = MakeFloat("Extended", TFloatType::Extended);
  return T;
}
const TTypeInfo& String() {
  static const TTypeInfo T = MakeNamedType("string", TTypeKind::String);
  return T;
}
const TTypeInfo& NotifyEvent() {
  static const TTypeInfo T = MakeNamedType("TNotifyEvent", TTypeKind::Method);
  return T;
}
const TTypeInfo& AlphaColor() {
  static const TTypeInfo T = [] {
    TTypeInfo C = MakeNamedType("TAlphaColor", TTypeKind::Integer);
    C.Unsigned = true;
    C.IdentToInt = IdentToAlphaColor;
    C.IntToIdent = AlphaColorToIdent;
    return C;
  }();
  return T;
}
}  // namespace TypeInfos
