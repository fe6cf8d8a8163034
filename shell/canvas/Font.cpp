#include "shell/canvas/Font.h"

#include <cmath>

namespace TypeInfos {
const TTypeInfo& FontStyles() {
  static const TTypeInfo T = MakeNamedType("TFontStyles", TTypeKind::Set, {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"});
  return T;
}
}  // namespace TypeInfos

const TMetaClass& TFont::StaticClass() {
  return ClassRecord<TFont>("TFont", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("Family", &TFont::Family, &TFont::SetFamily)
        .Stored([](const TFont& F) { return F.Family() != TFont::DefaultFamily; });
    B.Property("Size", &TFont::Size, &TFont::SetSize).Default(TFont::DefaultSize);
    B.Property("Style", &TFont::Style, &TFont::SetStyle, &TypeInfos::FontStyles()).Default(TFontStyles{});
  });
}

void TFont::SetFamily(const std::string& Value) {
  if (FFamily == Value) return;
  FFamily = Value;
  Changed();
}

void TFont::SetSize(float Value) {
  if (FSize == Value || std::isnan(Value)) return;
  FSize = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TFont::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TFont*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (FFamily == Other->FFamily && FSize == Other->FSize && FStyle == Other->FStyle) return;
  FFamily = Other->FFamily;
  FSize = Other->FSize;
  FStyle = Other->FStyle;
  Changed();
}
