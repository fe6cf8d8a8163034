#include "shell/styles/Text.h"

const TMetaClass& TTextSettings::StaticClass() {
  return ClassRecord<TTextSettings>("TTextSettings", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("Font", &TTextSettings::Font, &TTextSettings::SetFont);
    B.Property("FontColor", &TTextSettings::FontColor, &TTextSettings::SetFontColor, &TypeInfos::AlphaColor())
        .Default(TAlphaColor{0xFF000000});
    B.Property("HorzAlign", &TTextSettings::HorzAlign, &TTextSettings::SetHorzAlign, &TypeInfos::TextAlign())
        .Default(TTextAlign::Center);
    B.Property("VertAlign", &TTextSettings::VertAlign, &TTextSettings::SetVertAlign, &TypeInfos::TextAlign())
        .Default(TTextAlign::Center);
    B.Property("WordWrap", &TTextSettings::WordWrap, &TTextSettings::SetWordWrap).Default(false);
  });
}

TTextSettings::TTextSettings() : FFont(std::make_unique<TFont>()) {
  FFont->OnChanged = TNotifyEvent(this, &TTextSettings::FontChanged);
}

TTextSettings::~TTextSettings() = default;

void TTextSettings::SetFontColor(TAlphaColor Value) {
  if (Value == FFontColor) return;
  FFontColor = Value;
  Changed();
}

void TTextSettings::SetHorzAlign(TTextAlign Value) {
  if (Value == FHorzAlign) return;
  FHorzAlign = Value;
  Changed();
}

void TTextSettings::SetVertAlign(TTextAlign Value) {
  if (Value == FVertAlign) return;
  FVertAlign = Value;
  Changed();
}

void TTextSettings::SetWordWrap(bool Value) {
  if (Value == FWordWrap) return;
  FWordWrap = Value;
  Changed();
}

void TTextSettings::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TTextSettings*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  FFont->Assign(Other->FFont.get());
  FFontColor = Other->FFontColor;
  FHorzAlign = Other->FHorzAlign;
  FVertAlign = Other->FVertAlign;
  FWordWrap = Other->FWordWrap;
  Changed();
}

const TMetaClass& TText::StaticClass() {
  return ClassRecord<TText>("TText", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("HitTest", &TText::HitTest, &TText::SetHitTest).Default(false);
    B.Property("Text", &TText::Text, &TText::SetText);
    B.Property("TextSettings", &TText::TextSettings, &TText::SetTextSettings);
  });
}

TText::TText(TComponent* AOwner) : TControl(AOwner), FTextSettings(std::make_unique<TTextSettings>()) {
  SetHitTest(false);
  FTextSettings->OnChanged = TNotifyEvent(this, &TText::SettingsChanged);
}

TText::~TText() = default;

void TText::SetText(const std::string& Value) {
  if (Value == FText) return;
  FText = Value;
  Repaint();
}

void TText::Paint() {
  if (TCanvas* C = Canvas()) DrawText(*C, LocalRect(), TextColor(), AbsoluteOpacity());
}

void TText::DrawText(TCanvas& C, const TRectF& R, TAlphaColor Color, float Opacity) {
  if (FText.empty()) return;
  C.SetFont(FTextSettings->Font());
  C.Fill()->SetKind(TBrushKind::Solid);
  C.Fill()->SetColor(Color);
  C.FillText(R, FText, FTextSettings->WordWrap(), Opacity, {}, FTextSettings->HorzAlign(), FTextSettings->VertAlign());
}
