#pragma once
// Descriptions of property types: the kind that decides how a stream value is read, and for
// enumerations, sets, colours and events the extra facts the reader and writer need.
#include "shell/core/Export.h"
#include <cstdint>
#include <string>
#include <vector>

class TMetaClass;

enum class TTypeKind { Integer, Char, Enumeration, Float, String, Set, Class, Method, Int64, WChar };
enum class TFloatType { Single, Double, Extended };

/// Converts between an integer property's value and an identifier (colours use it).
using TIdentToInt = bool (*)(const std::string& Ident, int64_t& Value);
using TIntToIdent = bool (*)(int64_t Value, std::string& Ident);

/// The description of a property type: its kind, which decides how a stored value is read, and for
/// enumerations, sets, colours and events what the reader and writer need.
struct KELVANE_API TTypeInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::Integer;
  TFloatType FloatType = TFloatType::Single;
  bool Unsigned = false;
  /// Enumerations: the value names by ordinal. Sets: the element names by ordinal.
  std::vector<std::string> Names;
  TIdentToInt IdentToInt = nullptr;
  TIntToIdent IntToIdent = nullptr;
  /// Class kind: the base class of the values, looked up when first needed.
  const TMetaClass& (*ClassTypeOf)() = nullptr;
  const TMetaClass* ClassType() const { return ClassTypeOf ? &ClassTypeOf() : nullptr; }

  /// The ordinal of Name among Names, compared without regard to case; -1 when absent.
  int IndexOfName(const std::string& Ident) const;
};

/// The type of an enumeration or a set: its name, kind and value (or element) names by ordinal;
/// or of an event (kind Method, no names).
TTypeInfo MakeNamedType(const char* Name, TTypeKind Kind, std::vector<std::string> Names = {});

// The types every part of the framework shares.
namespace TypeInfos {
KELVANE_API const TTypeInfo& Boolean();
KELVANE_API const TTypeInfo& Integer();
KELVANE_API const TTypeInfo& Cardinal();
KELVANE_API const TTypeInfo& Int64();
KELVANE_API const TTypeInfo& Single();
KELVANE_API const TTypeInfo& Double();
KELVANE_API const TTypeInfo& Extended();
KELVANE_API const TTypeInfo& String();
KELVANE_API const TTypeInfo& NotifyEvent();
KELVANE_API const TTypeInfo& AlphaColor();
}  // namespace TypeInfos

/// The message for Value refused by a property of type Type: "Invalid property value", and for an
/// enumeration or a set the value and what the type accepts ("Invalid property value: Maximized
/// (expected wsNormal, wsMinimized, wsMaximized)"); for a colour, the value and its forms.
KELVANE_API std::string InvalidValueMessage(const TTypeInfo& Type, const std::string& Value);

KELVANE_API bool SameText(const std::string& A, const std::string& B);
KELVANE_API std::string UpperCase(const std::string& S);
KELVANE_API bool IsValidIdent(const std::string& Ident, bool AllowDots = false);
