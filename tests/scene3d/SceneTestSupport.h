#pragma once
// Stand-ins shared by the scene's tests: the top of a control tree at a chosen scale, and a
// control that fills itself with one colour.
#include "shell/canvas/Canvas.h"
#include "shell/controls/Control.h"
#include "shell/controls/Root.h"
#include "shell/core/TreeObject.h"

// The top of a control tree with a chosen scale, standing in for a form; counts the areas
// marked for repainting.
class TScaledRoot : public TTreeObject, public IRoot {
 public:
  using TTreeObject::TTreeObject;
  float Scale = 1;
  int Invalidations = 0;
  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return nullptr; }
  float GetSceneScale() override { return Scale; }
  void AddUpdateRect(const TRectF&) override { ++Invalidations; }
  TControl* GetFocused() override { return nullptr; }
  void SetFocused(TControl*) override {}
  TControl* GetCaptured() override { return nullptr; }
  void SetCaptured(TControl*) override {}
  TControl* GetHovered() override { return nullptr; }
  TPointF GetMousePos() override { return {}; }
  void ControlRemoved(TControl*) override {}
};

// A control that fills itself with one colour.
class TSwatch : public TControl {
 public:
  TSwatch(TComponent* AOwner, TAlphaColor AColor) : TControl(AOwner), Color(AColor) {}
  TAlphaColor Color;

 protected:
  void Paint() override {
    if (TCanvas* C = Canvas()) C->FillRect(LocalRect(), 0, 0, TCorners{}, 1, TBrush(TBrushKind::Solid, Color));
  }
};
