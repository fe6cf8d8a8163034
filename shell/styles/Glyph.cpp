#include "shell/styles/Glyph.h"

const TMetaClass& TGlyph::StaticClass() {
  return ClassRecord<TGlyph>("TGlyph", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("AutoHide", &TGlyph::AutoHide, &TGlyph::SetAutoHide).Default(true);
    B.Property("HitTest", &TGlyph::HitTest, &TGlyph::SetHitTest).Default(false);
    B.Property("ImageIndex", &TGlyph::ImageIndex, &TGlyph::SetImageIndex).Default(-1);
    // Visibility follows the image while AutoHide is on; it is stored only otherwise.
    B.Property("Visible", &TGlyph::Visible, &TGlyph::SetVisible)
        .Default(true)
        .Stored([](const TGlyph& G) { return !G.AutoHide(); });
  });
}

TGlyph::TGlyph(TComponent* AOwner) : TControl(AOwner) {
  SetHitTest(false);
  UpdateVisible();
}

void TGlyph::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  UpdateVisible();
}

void TGlyph::SetAutoHide(bool Value) {
  if (Value == FAutoHide) return;
  FAutoHide = Value;
  UpdateVisible();
}

void TGlyph::Loaded() {
  TControl::Loaded();
  UpdateVisible();
}

void TGlyph::UpdateVisible() {
  if (FAutoHide) SetVisible(HasImage());
}
