#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/canvas/Gradient.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Persistent.h"

class TBitmap;

enum class TBrushKind { None, Solid, Gradient, Bitmap, Resource };
enum class TWrapMode { Tile, TileOriginal, TileStretch };
enum class TStrokeCap { Flat, Round };
enum class TStrokeJoin { Miter, Round, Bevel };
enum class TStrokeDash { Solid, Dash, Dot, DashDot, DashDotDot, Custom };

namespace TypeInfos {
KELVANE_API const TTypeInfo& BrushKind();
KELVANE_API const TTypeInfo& WrapMode();
KELVANE_API const TTypeInfo& StrokeCap();
KELVANE_API const TTypeInfo& StrokeJoin();
KELVANE_API const TTypeInfo& StrokeDash();
}  // namespace TypeInfos

/// The image of a bitmap fill and how it covers the rectangle.
class KELVANE_API TBrushBitmap : public TPersistent {
  KLV_CLASS(TBrushBitmap)
 public:
  TBrushBitmap();
  ~TBrushBitmap() override;

  TBitmap* Bitmap() const { return FBitmap.get(); }
  /// Copies the pixels of Value.
  void SetBitmap(TBitmap* Value);
  TWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TWrapMode Value);
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChanged;

 private:
  void BitmapChanged(TObject* Sender);

  std::unique_ptr<TBitmap> FBitmap;
  TWrapMode FWrapMode = TWrapMode::Tile;
};

class TBrush;

/// The name of a brush in the active style that replaces this one when drawn.
class KELVANE_API TBrushResource : public TPersistent {
  KLV_CLASS(TBrushResource)
 public:
  using TLookup = std::function<TBrush*(const std::string& Name)>;

  const std::string& StyleLookup() const { return FStyleLookup; }
  void SetStyleLookup(const std::string& Value);
  /// The brush of the style under StyleLookup, or none.
  TBrush* Brush() const;
  void Assign(TPersistent* Source) override;

  /// The styles install how names are looked up; without it no resource brush is found.
  static void SetLookup(TLookup Lookup);

  TNotifyEvent OnChanged;

 private:
  std::string FStyleLookup;
};

/// TBrush: how an area is filled (none, a solid colour, a gradient, a bitmap or a brush of the
/// style), with the defaults its owner gives; TStrokeBrush adds what outlines need.
class KELVANE_API TBrush : public TPersistent {
  KLV_CLASS(TBrush)
 public:
  /// Starts with Kind = ADefaultKind and Color = ADefaultColor; values equal to these are not
  /// stored.
  TBrush(TBrushKind ADefaultKind, TAlphaColor ADefaultColor);
  ~TBrush() override;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TBrushKind Kind() const { return FKind; }
  void SetKind(TBrushKind Value);
  TAlphaColor Color() const { return FColor; }
  /// On a gradient brush this sets the gradient's first point instead (the gradient reports
  /// the change, the brush's own event does not fire).
  void SetColor(TAlphaColor Value);
  TGradient* Gradient() const { return FGradient.get(); }
  void SetGradient(TGradient* Value);
  TBrushBitmap* Bitmap() const { return FBitmap.get(); }
  void SetBitmap(TBrushBitmap* Value);
  TBrushResource* Resource() const { return FResource.get(); }
  void SetResource(TBrushResource* Value);
  TBrushKind DefaultKind() const { return FDefaultKind; }
  TAlphaColor DefaultColor() const { return FDefaultColor; }
  void SetDefaultKind(TBrushKind Value) { FDefaultKind = Value; }
  void SetDefaultColor(TAlphaColor Value) { FDefaultColor = Value; }

  /// Copies kind, colour, gradient, bitmap and resource; one change event.
  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChanged;

 protected:
  void Changed();
  /// Copies what a descendant adds; returns whether anything differed.
  virtual bool AssignExtra(const TBrush&) { return false; }

 private:
  void GradientChanged(TObject* Sender);
  void PartChanged(TObject* Sender);

  TBrushKind FKind;
  TAlphaColor FColor;
  TBrushKind FDefaultKind;
  TAlphaColor FDefaultColor;
  std::unique_ptr<TGradient> FGradient;
  std::unique_ptr<TBrushBitmap> FBitmap;
  std::unique_ptr<TBrushResource> FResource;
  bool FAssigning = false;
  bool FChangedWhileAssigning = false;
};

/// A brush for outlines: thickness, line ends, corners and dash pattern.
class KELVANE_API TStrokeBrush : public TBrush {
  KLV_CLASS(TStrokeBrush)
 public:
  TStrokeBrush(TBrushKind ADefaultKind, TAlphaColor ADefaultColor);

  float Thickness() const { return FThickness; }
  void SetThickness(float Value);
  TStrokeCap Cap() const { return FCap; }
  void SetCap(TStrokeCap Value);
  TStrokeJoin Join() const { return FJoin; }
  void SetJoin(TStrokeJoin Value);
  TStrokeDash Dash() const { return FDash; }
  /// A named pattern; Custom keeps the array given by SetCustomDash.
  void SetDash(TStrokeDash Value);
  /// Dash and gap lengths in multiples of the thickness, and the offset into them.
  const std::vector<float>& DashArray() const { return FDashArray; }
  float DashOffset() const { return FDashOffset; }
  void SetCustomDash(const std::vector<float>& Dash, float Offset);

 protected:
  bool AssignExtra(const TBrush& Source) override;

 private:
  float FThickness = 1;
  TStrokeCap FCap = TStrokeCap::Flat;
  TStrokeJoin FJoin = TStrokeJoin::Miter;
  TStrokeDash FDash = TStrokeDash::Solid;
  std::vector<float> FDashArray;
  float FDashOffset = 0;
};
