#pragma once
#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Persistent.h"

/// TBounds: four distances (Left, Top, Right, Bottom) used as a control's Margins and Padding,
/// with a change notification.
class KELVANE_API TBounds : public TPersistent {
  KLV_CLASS(TBounds)
 public:
  explicit TBounds(const TRectF& ADefaultValue = TRectF());

  float Left() const { return FLeft; }
  float Top() const { return FTop; }
  float Right() const { return FRight; }
  float Bottom() const { return FBottom; }
  void SetLeft(float Value);
  void SetTop(float Value);
  void SetRight(float Value);
  void SetBottom(float Value);

  TRectF Rect() const { return {FLeft, FTop, FRight, FBottom}; }
  /// Sets all four at once with a single notification, none when nothing changes.
  void SetRect(const TRectF& Value);
  const TRectF& DefaultValue() const { return FDefaultValue; }
  bool Empty() const { return FLeft == 0 && FTop == 0 && FRight == 0 && FBottom == 0; }

  /// R shrunk by the four distances.
  TRectF PaddingRect(const TRectF& R) const {
    return {R.Left + FLeft, R.Top + FTop, R.Right - FRight, R.Bottom - FBottom};
  }

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  void SetSide(float& Field, float Value);

  float FLeft, FTop, FRight, FBottom;
  TRectF FDefaultValue;
};
