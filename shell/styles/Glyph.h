#pragma once
// TGlyph: the place in a style where a control's image is shown (the button's "glyphstyle").
// Without an image it hides itself (AutoHide), so that it takes no space in the layout.
#include "shell/controls/Control.h"

class TGlyph : public TControl {
  KLV_CLASS(TGlyph)
 public:
  explicit TGlyph(TComponent* AOwner);

  // The index of the image in its control's image list; -1 for none. There are no image lists
  // yet, so a glyph never has an image.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool AutoHide() const { return FAutoHide; }
  void SetAutoHide(bool Value);
  bool HasImage() const { return false; }

  void Loaded() override;

 private:
  void UpdateVisible();

  int FImageIndex = -1;
  bool FAutoHide = true;
};
