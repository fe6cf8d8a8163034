#pragma once
// TAlphaColor: 32-bit ARGB, and the table of named colours ("claBlack", "claYellow", ...).
#include "shell/core/Export.h"
#include <cstdint>
#include <string>
#include <vector>

using TAlphaColor = uint32_t;

namespace TAlphaColors {
constexpr TAlphaColor Null = 0x00000000;
constexpr TAlphaColor Black = 0xFF000000;
constexpr TAlphaColor White = 0xFFFFFFFF;
constexpr TAlphaColor Red = 0xFFFF0000;
constexpr TAlphaColor Yellow = 0xFFFFFF00;
constexpr TAlphaColor Blue = 0xFF0000FF;
}  // namespace TAlphaColors

/// A named colour of the colour table ("claBlack" and so on).
struct KELVANE_API TNamedAlphaColor {
  const char* Name;
  TAlphaColor Value;
};

/// C with its alpha byte scaled by Opacity when Opacity is below 1 (Trunc(Opacity × alpha));
/// otherwise C unchanged. Red, green and blue always stay.
KELVANE_API TAlphaColor MakeColor(TAlphaColor C, float Opacity);

/// The 148 named colours in table order.
KELVANE_API const std::vector<TNamedAlphaColor>& AlphaColorNames();

/// Reads an identifier as a colour: "x"/"#" plus hex digits, a table name (any case), or a
/// table name missing its "a" ("clYellow").
KELVANE_API bool IdentToAlphaColor(const std::string& Ident, int64_t& Color);
KELVANE_API bool AlphaColorToIdent(int64_t Color, std::string& Ident);
