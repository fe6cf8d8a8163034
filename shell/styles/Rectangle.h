#pragma once
// TShape, a control that paints a filled and outlined figure, and TRectangle, the figure the
// panel and the form background are drawn with.
#include <memory>

#include "shell/core/Export.h"
#include "shell/canvas/Brush.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/Control.h"

/// A control that paints a figure with Fill and Stroke.
class KELVANE_API TShape : public TControl {
  KLV_CLASS(TShape)
 public:
  explicit TShape(TComponent* AOwner);
  ~TShape() override;

  /// Solid $FFE0E0E0 by default.
  TBrush* Fill() const { return FFill.get(); }
  void SetFill(TBrush* Value) { FFill->Assign(Value); }
  /// Solid black, thickness 1, by default.
  TStrokeBrush* Stroke() const { return FStroke.get(); }
  void SetStroke(TStrokeBrush* Value) { FStroke->Assign(Value); }

 protected:
  /// The local rectangle, shrunk by half the outline's thickness when there is an outline, so
  /// that the outline lies inside the control.
  TRectF GetShapeRect() const;

 private:
  void BrushChanged(TObject*) { Repaint(); }

  std::unique_ptr<TBrush> FFill;
  std::unique_ptr<TStrokeBrush> FStroke;
};

/// A filled and outlined rectangle, with rounded Corners of XRadius by YRadius.
class KELVANE_API TRectangle : public TShape {
  KLV_CLASS(TRectangle)
 public:
  explicit TRectangle(TComponent* AOwner) : TShape(AOwner) {}

  float XRadius() const { return FXRadius; }
  void SetXRadius(float Value);
  float YRadius() const { return FYRadius; }
  void SetYRadius(float Value);
  TCorners Corners() const { return FCorners; }
  void SetCorners(TCorners Value);
  TCornerType CornerType() const { return FCornerType; }
  void SetCornerType(TCornerType Value);

 protected:
  void Paint() override;

 private:
  float FXRadius = 0, FYRadius = 0;
  TCorners FCorners = AllCorners;
  TCornerType FCornerType = TCornerType::Round;
};
