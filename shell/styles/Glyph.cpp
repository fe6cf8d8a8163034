#include "shell/styles/Glyph.h"

#include "shell/canvas/Canvas.h"
#include "shell/controls/ImageList.h"
#include "shell/styles/StyleImage.h"

const TMetaClass& TGlyph::StaticClass() {
  return ClassRecord<TGlyph>("TGlyph", &TControl::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Property("AutoHide", &TGlyph::AutoHide, &TGlyph::SetAutoHide).Default(true);
    B.Property("HitTest", &TGlyph::HitTest, &TGlyph::SetHitTest).Default(false);
    B.Property("Images", &TGlyph::Images, &TGlyph::SetImages);
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

void TGlyph::SetImages(TImageList* Value) {
  if (Value == FImages) return;
  if (FImages) {
    FImages->RemoveFreeNotification(this);
    FImages->RemoveChangeListener(this);
  }
  FImages = Value;
  if (FImages) {
    FImages->FreeNotification(this);
    FImages->AddChangeListener(this, [this] { ImagesChanged(); });
  }
  ImagesChanged();
}

void TGlyph::SetImageIndex(int Value) {
  if (Value == FImageIndex) return;
  FImageIndex = Value;
  ImagesChanged();
}

void TGlyph::SetAutoHide(bool Value) {
  if (Value == FAutoHide) return;
  FAutoHide = Value;
  UpdateVisible();
}

bool TGlyph::HasImage() const { return FImages && FImages->Bitmap(FImageIndex); }

void TGlyph::Loaded() {
  TControl::Loaded();
  UpdateVisible();
}

void TGlyph::Notification(TComponent* AComponent, TOperation Operation) {
  TControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FImages) {
    FImages = nullptr;
    ImagesChanged();
  }
}

void TGlyph::BeforeDestruction() {
  SetImages(nullptr);
  TControl::BeforeDestruction();
}

void TGlyph::ImagesChanged() {
  UpdateVisible();
  Repaint();
}

void TGlyph::UpdateVisible() {
  if (FAutoHide) SetVisible(HasImage());
}

void TGlyph::Paint() {
  TCanvas* C = Canvas();
  TBitmap* Image = FImages ? FImages->Bitmap(FImageIndex) : nullptr;
  if (!C || !Image) return;
  // The bitmap's pixels are logical units; a larger one is scaled down to fit, keeping its
  // proportions.
  for (const TImagePart& P : LayoutStyleImage(Image->Bounds(), TRectF(), 1, LocalRect(), TCapWrapMode::Stretch,
                                              TImageWrapMode::Fit))
    C->DrawBitmap(*Image, P.Source, P.Target, AbsoluteOpacity(), false);
}
