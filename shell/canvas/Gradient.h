#pragma once
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Collection.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Position.h"
#include "shell/core/TypeInfo.h"

enum class TGradientStyle { Linear, Radial };

namespace TypeInfos {
KELVANE_API const TTypeInfo& GradientStyle();
}

class TGradient;

/// One colour stop: a colour at an offset along the gradient line.
class KELVANE_API TGradientPoint : public TCollectionItem {
  KLV_CLASS(TGradientPoint)
 public:
  TAlphaColor Color() const { return FColor; }
  void SetColor(TAlphaColor Value);
  float Offset() const { return FOffset; }
  void SetOffset(float Value);
  void Assign(TPersistent* Source) override;

 private:
  TAlphaColor FColor = 0;
  float FOffset = 0;
};

/// The stops of a gradient, in collection order; every change is reported to the gradient.
class KELVANE_API TGradientPoints : public TCollection {
  KLV_CLASS(TGradientPoints)
 public:
  explicit TGradientPoints(TGradient* AGradient);
  TGradientPoint* Points(int Index) const { return static_cast<TGradientPoint*>(Items(Index)); }
  TGradientPoint* AddPoint() { return static_cast<TGradientPoint*>(Add()); }

 protected:
  void Update(TCollectionItem* Item) override;

 private:
  TGradient* FGradient;
};

/// A stop as a device receives it: colour (already with the opacity applied) and offset.
struct KELVANE_API TGradientStop {
  TAlphaColor Color;
  float Offset;
  bool operator==(const TGradientStop&) const = default;
};

/// TGradient: colour stops (TGradientPoints of TGradientPoint) with a style and start and stop
/// positions relative to the filled rectangle; and the stop list a device gradient is built from.
class KELVANE_API TGradient : public TPersistent {
  KLV_CLASS(TGradient)
 public:
  /// Two points, black at 0 and white at 1; Linear; from the top-left to the bottom-left corner.
  TGradient();
  ~TGradient() override;
  TGradient(const TGradient&) = delete;
  TGradient& operator=(const TGradient&) = delete;

  TGradientPoints* Points() const { return FPoints.get(); }
  void SetPoints(TGradientPoints* Value);
  TGradientStyle Style() const { return FStyle; }
  void SetStyle(TGradientStyle Value);
  TPosition* StartPosition() const { return FStartPosition.get(); }
  void SetStartPosition(TPosition* Value);
  TPosition* StopPosition() const { return FStopPosition.get(); }
  void SetStopPosition(TPosition* Value);
  /// Placement of a radial gradient over the unit square of the filled rectangle.
  const TMatrix& RadialTransform() const { return FRadialTransform; }
  void SetRadialTransform(const TMatrix& Value);

  /// The colour of the first / second point; setting does nothing when that point is missing
  /// or already has the colour.
  TAlphaColor Color() const;
  void SetColor(TAlphaColor Value);
  TAlphaColor Color1() const;
  void SetColor1(TAlphaColor Value);
  /// Replaces every point's colour by MakeColor(colour, Opacity) when Opacity is below 1.
  void ApplyOpacity(float Opacity);

  /// Same points (colours and offsets in order), style, positions and transform.
  bool Equal(const TGradient& Other) const;
  void Assign(TPersistent* Source) override;

  /// The device's stops at Opacity: each point with MakeColor(colour, Opacity) in collection
  /// order, plus the first colour at 0 and the last at 1 where the points stop short of the
  /// ends. Empty when there are fewer than two points (the fill is then transparent).
  std::vector<TGradientStop> DeviceStops(float Opacity) const;
  /// The colour at Offset of a stop list, each channel interpolated linearly in the stored
  /// (not premultiplied) values and clamped beyond the ends: the rule a device must follow.
  static TAlphaColor InterpolateStops(const std::vector<TGradientStop>& Stops, float Offset);

  TNotifyEvent OnChanged;

 private:
  friend class TGradientPoints;
  void Changed();
  void PositionChanged(TObject* Sender);

  std::unique_ptr<TGradientPoints> FPoints;
  TGradientStyle FStyle = TGradientStyle::Linear;
  std::unique_ptr<TPosition> FStartPosition;
  std::unique_ptr<TPosition> FStopPosition;
  TMatrix FRadialTransform;
};
