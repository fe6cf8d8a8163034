#pragma once
// TPosition: a change-notifying point X, Y, a control's Position (and Scale), stored as a
// persistent sub-object so that "Position.X" works in a form stream.
#include "shell/core/Geometry2D.h"
#include "shell/core/Persistent.h"

class TPosition : public TPersistent {
  KLV_CLASS(TPosition)
 public:
  explicit TPosition(const TPointF& ADefaultValue = TPointF());

  float X() const { return FPoint.X; }
  float Y() const { return FPoint.Y; }
  void SetX(float Value);
  void SetY(float Value);
  const TPointF& Point() const { return FPoint; }
  void SetPoint(const TPointF& Value);
  // Stores the point without notification (the owner has applied it already).
  void SetPointNoChange(const TPointF& Value) { FPoint = Value; }
  const TPointF& DefaultValue() const { return FDefaultValue; }
  // The point before the change that OnChange reports.
  const TPointF& OldPoint() const { return FOldPoint; }

  void Assign(TPersistent* Source) override;

  TNotifyEvent OnChange;

 private:
  TPointF FPoint;
  TPointF FOldPoint;
  TPointF FDefaultValue;
};
