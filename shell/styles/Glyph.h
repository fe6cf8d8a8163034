#pragma once
#include "shell/core/Export.h"
#include "shell/controls/Control.h"

class TImageList;

/// TGlyph: the place in a style where a control's image is shown (the button's "glyphstyle"):
/// the bitmap ImageIndex of Images, fitted into the glyph. Without an image it hides itself
/// (AutoHide), so that it takes no space in the layout.
class KELVANE_API TGlyph : public TControl {
  KLV_CLASS(TGlyph)
 public:
  explicit TGlyph(TComponent* AOwner);

  TImageList* Images() const { return FImages; }
  void SetImages(TImageList* Value);
  /// The index of the image in Images; -1 for none.
  int ImageIndex() const { return FImageIndex; }
  void SetImageIndex(int Value);
  bool AutoHide() const { return FAutoHide; }
  void SetAutoHide(bool Value);
  /// Whether Images holds a bitmap at ImageIndex.
  bool HasImage() const;

  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeDestruction() override;

 protected:
  void Paint() override;

 private:
  void ImagesChanged();
  void UpdateVisible();

  TImageList* FImages = nullptr;
  int FImageIndex = -1;
  bool FAutoHide = true;
};
