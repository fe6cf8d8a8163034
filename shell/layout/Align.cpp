#include "shell/layout/Align.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "shell/core/ScopeExit.h"
#include "shell/core/TreeObject.h"
#include "shell/layout/ControlSize.h"

TAnchors AnchorAlign(TAlignLayout Align) {
  switch (Align) {
    case TAlignLayout::None:
      return DefaultAnchors;
    case TAlignLayout::Top:
    case TAlignLayout::MostTop:
      return {akLeft, akTop, akRight};
    case TAlignLayout::Left:
    case TAlignLayout::MostLeft:
      return {akLeft, akTop, akBottom};
    case TAlignLayout::Right:
    case TAlignLayout::MostRight:
      return {akTop, akRight, akBottom};
    case TAlignLayout::Bottom:
    case TAlignLayout::MostBottom:
      return {akLeft, akRight, akBottom};
    case TAlignLayout::Center:
      return {};
    case TAlignLayout::VertCenter:
    case TAlignLayout::Horizontal:
      return {akLeft, akRight};
    case TAlignLayout::HorzCenter:
    case TAlignLayout::Vertical:
      return {akTop, akBottom};
    default:  // Client, Contents, Scale, Fit, FitLeft, FitRight
      return AnchorAllSides;
  }
}

namespace TypeInfos {
const TTypeInfo& AlignLayout() {
  static const TTypeInfo T = MakeNamedType("TAlignLayout", TTypeKind::Enumeration, {"None",      "Top",      "Left",       "Right",      "Bottom",     "MostTop", "MostBottom",
               "MostLeft",  "MostRight", "Client",    "Contents",   "Center",     "VertCenter", "HorzCenter",
               "Horizontal", "Vertical", "Scale",     "Fit",        "FitLeft",    "FitRight"});
  return T;
}

const TTypeInfo& Anchors() {
  static const TTypeInfo T = MakeNamedType("TAnchors", TTypeKind::Set, {"akLeft", "akTop", "akRight", "akBottom"});
  return T;
}
}  // namespace TypeInfos

float RoundHalfEven(float Value) { return std::nearbyint(Value); }

namespace {

using A = TAlignLayout;

bool IsOneOf(A Value, std::initializer_list<A> Set) {
  return std::find(Set.begin(), Set.end(), Value) != Set.end();
}

TRectF MarginsOf(IAlignableObject* C) {
  TBounds* M = C->GetMargins();
  return M ? M->Rect() : TRectF();
}

float MarginsWidth(IAlignableObject* C) {
  TRectF M = MarginsOf(C);
  return M.Left + C->GetWidth() + M.Right;
}

float MarginsHeight(IAlignableObject* C) {
  TRectF M = MarginsOf(C);
  return M.Top + C->GetHeight() + M.Bottom;
}

void ArrangeControlToAnchors(IAlignableObject* C, TPointF S, TPointF InvScale, float W, float H) {
  TRectF M = MarginsOf(C);
  TAnchors Anchors = C->GetAnchors();
  TPointF Rules = C->GetAnchorRules();
  TPointF Original = C->GetOriginalParentSize();
  float L = C->GetLeft() - M.Left * S.X;
  float T = C->GetTop() - M.Top * S.Y;
  float Wd = MarginsWidth(C) * S.X;
  float Ht = MarginsHeight(C) * S.Y;

  bool Left = Anchors.Contains(akLeft), Right = Anchors.Contains(akRight);
  if (Left && Right)
    Wd = W - (Original.X - Rules.X * S.X) + (M.Left + M.Right) * S.X;
  else if (Right)
    L = W - (Original.X - Rules.X) - M.Left * S.X;
  else if (!Left && Original.X != 0)
    L = Rules.X * W / Original.X - C->GetWidth() / 2 - M.Left * S.X;

  bool Top = Anchors.Contains(akTop), Bottom = Anchors.Contains(akBottom);
  if (Top && Bottom)
    Ht = H - (Original.Y - Rules.Y * S.Y) + (M.Top + M.Bottom) * S.Y;
  else if (Bottom)
    T = H - (Original.Y - Rules.Y) - M.Top * S.Y;
  else if (!Top && Original.Y != 0)
    T = Rules.Y * H / Original.Y - C->GetHeight() / 2 - M.Top * S.Y;

  C->SetAnchorMove(true);
  TScopeExit EndAnchorMove([C] { C->SetAnchorMove(false); });
  C->SetBounds(L + M.Left * S.X, T + M.Top * S.Y, (Wd - (M.Left + M.Right) * S.X) * InvScale.X,
               (Ht - (M.Top + M.Bottom) * S.Y) * InvScale.Y);
}

void PlaceControlToFit(IAlignableObject* C, A Align, TPointF S, float ParentWidth, float ParentHeight, TRectF& R) {
  TRectF M = MarginsOf(C);
  float BoxLeft = C->GetLeft() - M.Left * S.X;
  float BoxTop = C->GetTop() - M.Top * S.Y;
  float BoxW = C->GetLeft() + (C->GetWidth() + M.Right) * S.X - BoxLeft;
  float BoxH = C->GetTop() + (C->GetHeight() + M.Bottom) * S.Y - BoxTop;
  // Scale uniformly to the largest size that fits, then centre; an empty box cannot be scaled.
  if (BoxW > 0 && BoxH > 0) {
    float Ratio = std::min(ParentWidth / BoxW, ParentHeight / BoxH);
    BoxW *= Ratio;
    BoxH *= Ratio;
  }
  BoxLeft = (ParentWidth - BoxW) / 2;
  BoxTop = (ParentHeight - BoxH) / 2;
  if (Align == A::FitLeft) BoxLeft = 0;
  if (Align == A::FitRight) BoxLeft = ParentWidth - BoxW;
  C->SetBounds(BoxLeft + M.Left / S.X, BoxTop + M.Top / S.Y, (BoxW - M.Left - M.Right) / S.X,
               (BoxH - M.Top - M.Bottom) / S.Y);
  if (Align == A::FitLeft) R.Left += BoxW;
  if (Align == A::FitRight) R.Right -= BoxW;
}

void FixedSizeAdjust(IAlignableObject* C, A Align, TPointF S, TRectF& Rect) {
  TAdjustType Type = C->GetAdjustType();
  TSizeF Value = C->GetAdjustSizeValue();
  float FW = Value.Width * S.X, FH = Value.Height * S.Y;
  if ((Type == TAdjustType::FixedSize || Type == TAdjustType::FixedHeight) && FH > 0 &&
      IsOneOf(Align, {A::Left, A::Right, A::MostLeft, A::MostRight, A::Center, A::VertCenter, A::HorzCenter,
                      A::Vertical})) {
    Rect.Top += std::max(0.f, RoundHalfEven((Rect.Height() - FH) / 2));
    Rect.Bottom = Rect.Top + FH;
  }
  if ((Type == TAdjustType::FixedSize || Type == TAdjustType::FixedWidth) && FW > 0 &&
      IsOneOf(Align, {A::Top, A::Bottom, A::MostTop, A::MostBottom, A::Center, A::VertCenter, A::HorzCenter,
                      A::Horizontal})) {
    Rect.Left += std::max(0.f, RoundHalfEven((Rect.Width() - FW) / 2));
    Rect.Right = Rect.Left + FW;
  }
}

void ArrangeControl(IAlignableObject* C, A Align, float ParentWidth, float ParentHeight, float LastWidth,
                    float LastHeight, TRectF& R) {
  TPointF S = C->GetAlignScale();
  TPointF InvScale(std::fabs(S.X) < 0.0001f ? 1.f : 1 / S.X, std::fabs(S.Y) < 0.0001f ? 1.f : 1 / S.Y);

  if (Align == A::None || !(C->GetAnchors() == AnchorAlign(Align)))
    ArrangeControlToAnchors(C, S, InvScale, ParentWidth, ParentHeight);
  if (Align == A::None) return;

  TRectF M = MarginsOf(C);
  float MW = MarginsWidth(C) * S.X;
  float MH = MarginsHeight(C) * S.Y;

  TRectF Slot = R;
  if (IsOneOf(Align, {A::Left, A::Right, A::MostLeft, A::MostRight, A::Vertical})) {
    Slot = TRectF(R.Left, R.Top, R.Left + MW, R.Bottom);
    if (Align == A::Vertical) {
      float X = C->GetLeft() - M.Left;
      Slot = TRectF(X, Slot.Top, X + MW, Slot.Bottom);
    }
  } else if (IsOneOf(Align, {A::Top, A::Bottom, A::MostTop, A::MostBottom, A::Horizontal})) {
    Slot = TRectF(R.Left, R.Top, R.Right, R.Top + MH);
    if (Align == A::Horizontal) {
      float Y = C->GetTop() - M.Top;
      Slot = TRectF(Slot.Left, Y, Slot.Right, Y + MH);
    }
  }

  switch (Align) {
    case A::Top:
    case A::MostTop:
      R.Top += Slot.Height();
      break;
    case A::Left:
    case A::MostLeft:
      R.Left += Slot.Width();
      break;
    case A::Right:
    case A::MostRight:
      R.Right -= Slot.Width();
      Slot = Slot.Offset(R.Right - Slot.Left, 0);
      break;
    case A::Bottom:
    case A::MostBottom:
      R.Bottom -= Slot.Height();
      Slot = Slot.Offset(0, R.Bottom - Slot.Top);
      break;
    case A::Client:
      Slot = R;
      break;
    case A::Contents:
      C->SetBounds(M.Left / S.X, M.Top / S.Y, (ParentWidth - M.Left - M.Right) / S.X,
                   (ParentHeight - M.Top - M.Bottom) / S.Y);
      return;
    case A::Center:
      Slot = TRectF::FromSize(TPointF(R.Left + std::trunc((R.Width() - MW) / 2), R.Top + std::trunc((R.Height() - MH) / 2)),
                              TSizeF(MW, MH));
      break;
    case A::HorzCenter:
      Slot = TRectF::FromSize(TPointF(R.Left + std::trunc((R.Width() - MW) / 2), R.Top), TSizeF(MW, R.Height()));
      break;
    case A::VertCenter:
      Slot = TRectF::FromSize(TPointF(R.Left, R.Top + std::trunc((R.Height() - MH) / 2)), TSizeF(R.Width(), MH));
      break;
    case A::Scale:
      if (LastWidth > 0 && LastHeight > 0) {
        float KX = ParentWidth / LastWidth, KY = ParentHeight / LastHeight;
        Slot = TRectF::FromSize(TPointF((C->GetLeft() - M.Left) * KX, (C->GetTop() - M.Top) * KY),
                                TSizeF(MW * KX, MH * KY));
      }
      break;
    case A::Fit:
    case A::FitLeft:
    case A::FitRight:
      PlaceControlToFit(C, Align, S, ParentWidth, ParentHeight, R);
      return;
    default:
      break;
  }

  TRectF Rect(Slot.Left + M.Left * S.X, Slot.Top + M.Top * S.Y, Slot.Right - M.Right * S.X,
              Slot.Bottom - M.Bottom * S.Y);
  FixedSizeAdjust(C, Align, S, Rect);
  C->SetBounds(Rect.Left, Rect.Top, Rect.Width() * InvScale.X, Rect.Height() * InvScale.Y);

  if (Align == A::Scale) return;
  // A child that did not take the room it was given hands the difference back to R on the
  // side it consumed. A Client child consumes nothing, so it has nothing to hand back.
  float DW = Slot.Width() * InvScale.X - MarginsWidth(C);
  float DH = Slot.Height() * InvScale.Y - MarginsHeight(C);
  if (std::fabs(DW) <= kLayoutEpsilon) DW = 0;
  if (std::fabs(DH) <= kLayoutEpsilon) DH = 0;
  switch (Align) {
    case A::Top:
    case A::MostTop:
      R.Top -= DH;
      break;
    case A::Left:
    case A::MostLeft:
      R.Left -= DW;
      break;
    case A::Right:
    case A::MostRight:
      R.Right += DW;
      break;
    case A::Bottom:
    case A::MostBottom:
      R.Bottom += DH;
      break;
    default:
      break;
  }
}

bool IsLoadingObject(TTreeObject* Object) { return Object->ComponentState().Contains(csLoading); }

// The children of one pass, ordered as the alignment wants them.
std::vector<IAlignableObject*> CollectPass(TTreeObject* Parent, A Align) {
  std::vector<IAlignableObject*> List;
  for (TTreeObject* Child : Parent->ChildList()) {
    auto* C = dynamic_cast<IAlignableObject*>(Child);
    if (!C || C->GetAlign() != Align || !C->GetAllowAlign()) continue;
    if (Align == A::None && IsLoadingObject(Child)) continue;
    auto Insert = List.end();
    switch (Align) {
      case A::Top:
      case A::MostTop:
        Insert = std::find_if(List.begin(), List.end(), [&](IAlignableObject* O) { return O->GetTop() > C->GetTop(); });
        break;
      case A::Left:
      case A::MostLeft:
        Insert = std::find_if(List.begin(), List.end(), [&](IAlignableObject* O) { return O->GetLeft() > C->GetLeft(); });
        break;
      case A::Bottom:
      case A::MostBottom:
        Insert = std::find_if(List.begin(), List.end(), [&](IAlignableObject* O) {
          return O->GetTop() + O->GetHeight() <= C->GetTop() + C->GetHeight();
        });
        break;
      case A::Right:
      case A::MostRight:
        Insert = std::find_if(List.begin(), List.end(), [&](IAlignableObject* O) {
          return O->GetLeft() + O->GetWidth() <= C->GetLeft() + C->GetWidth();
        });
        break;
      case A::None:
        Insert = List.begin();
        break;
      default:
        break;
    }
    List.insert(Insert, C);
  }
  return List;
}

constexpr A kPassOrder[] = {A::MostTop,  A::MostBottom, A::MostLeft,   A::MostRight, A::Top,     A::Bottom,
                            A::Left,     A::Right,      A::FitLeft,    A::FitRight,  A::Client,  A::Horizontal,
                            A::Vertical, A::Contents,   A::Center,     A::HorzCenter, A::VertCenter, A::Scale,
                            A::Fit,      A::None};

}  // namespace

bool ChildrenNeedAlign(const TTreeObject& Parent) {
  for (TTreeObject* Child : Parent.ChildList())
    if (auto* C = dynamic_cast<IAlignableObject*>(Child))
      if (C->GetAlign() != TAlignLayout::None || !(C->GetAnchors() == DefaultAnchors)) return true;
  return false;
}

void AlignObjects(TTreeObject* Parent, TBounds* Padding, float ParentWidth, float ParentHeight, float& LastWidth,
                  float& LastHeight, bool& DisableAlign) {
  if (!Parent || Parent->IsDestroying() || Parent->ChildrenCount() == 0 || DisableAlign || ParentWidth < 1 ||
      ParentHeight < 1)
    return;
  if (IsLoadingObject(Parent)) {
    LastWidth = ParentWidth;
    LastHeight = ParentHeight;
    return;
  }
  if (LastWidth == 0) LastWidth = ParentWidth;
  if (LastHeight == 0) LastHeight = ParentHeight;

  TRectF Full(0, 0, ParentWidth, ParentHeight);
  TRectF R = Padding ? Padding->PaddingRect(Full) : Full;

  DisableAlign = true;
  TScopeExit EnableAlign([&DisableAlign] { DisableAlign = false; });
  for (A Align : kPassOrder)
    for (IAlignableObject* C : CollectPass(Parent, Align))
      ArrangeControl(C, Align, ParentWidth, ParentHeight, LastWidth, LastHeight, R);
  LastWidth = ParentWidth;
  LastHeight = ParentHeight;
}
