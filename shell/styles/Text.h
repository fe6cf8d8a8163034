#pragma once
#include <memory>
#include <string>

#include "shell/core/Export.h"
#include "shell/canvas/Canvas.h"
#include "shell/canvas/Font.h"
#include "shell/controls/Control.h"

/// How a text is drawn: font, colour, alignment in its rectangle, wrapping.
class KELVANE_API TTextSettings : public TPersistent {
  KLV_CLASS(TTextSettings)
 public:
  TTextSettings();
  ~TTextSettings() override;

  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TAlphaColor FontColor() const { return FFontColor; }
  void SetFontColor(TAlphaColor Value);
  TTextAlign HorzAlign() const { return FHorzAlign; }
  void SetHorzAlign(TTextAlign Value);
  TTextAlign VertAlign() const { return FVertAlign; }
  void SetVertAlign(TTextAlign Value);
  bool WordWrap() const { return FWordWrap; }
  void SetWordWrap(bool Value);

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChanged;

 private:
  void Changed() { OnChanged(this); }
  void FontChanged(TObject*) { Changed(); }

  std::unique_ptr<TFont> FFont;
  TAlphaColor FFontColor = 0xFF000000;
  TTextAlign FHorzAlign = TTextAlign::Center;
  TTextAlign FVertAlign = TTextAlign::Center;
  bool FWordWrap = false;
};

/// TText: a control that draws a line of text with its TTextSettings (font, colour, alignment);
/// the base of the style text objects. It does not take the mouse.
class KELVANE_API TText : public TControl {
  KLV_CLASS(TText)
 public:
  explicit TText(TComponent* AOwner);
  ~TText() override;

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  TTextSettings* TextSettings() const { return FTextSettings.get(); }
  void SetTextSettings(TTextSettings* Value) { FTextSettings->Assign(Value); }

 protected:
  /// The colour the text is drawn in; style text objects choose it by state.
  virtual TAlphaColor TextColor() const { return FTextSettings->FontColor(); }
  void Paint() override;
  /// Draws the text in R with the settings and Color.
  void DrawText(TCanvas& C, const TRectF& R, TAlphaColor Color, float Opacity);

 private:
  void SettingsChanged(TObject*) { Repaint(); }

  std::string FText;
  std::unique_ptr<TTextSettings> FTextSettings;
};
