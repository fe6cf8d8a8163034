#pragma once
#include <string>

#include "shell/core/Export.h"
#include "shell/core/Persistent.h"
#include "shell/core/TypeInfo.h"

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;

namespace TypeInfos {
KELVANE_API const TTypeInfo& FontStyles();
}

/// TFont: the family, size and style of the text a canvas draws.
class KELVANE_API TFont : public TPersistent {
  KLV_CLASS(TFont)
 public:
  static constexpr const char* DefaultFamily = "Segoe UI";
  static constexpr float DefaultSize = 12;

  TFont() = default;

  const std::string& Family() const { return FFamily; }
  void SetFamily(const std::string& Value);
  /// Height of the em box in logical units.
  float Size() const { return FSize; }
  void SetSize(float Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChanged;

 private:
  void Changed() { OnChanged(this); }

  std::string FFamily = DefaultFamily;
  float FSize = DefaultSize;
  TFontStyles FStyle;
};
