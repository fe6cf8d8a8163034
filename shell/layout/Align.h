#pragma once
// The alignment layout: how a parent places its children by their Align, Anchors and Margins
// within its own Padding (AlignObjects), and the two interfaces through which it reaches them.
#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"
#include "shell/core/Object.h"
#include "shell/core/TypeInfo.h"
#include "shell/layout/Bounds.h"

class TTreeObject;

enum class TAlignLayout {
  None, Top, Left, Right, Bottom, MostTop, MostBottom, MostLeft, MostRight, Client, Contents,
  Center, VertCenter, HorzCenter, Horizontal, Vertical, Scale, Fit, FitLeft, FitRight
};

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;

/// A fixed size that a control's style imposes on it.
enum class TAdjustType { None, FixedSize, FixedWidth, FixedHeight };

inline constexpr TAnchors AnchorAllSides{akLeft, akTop, akRight, akBottom};
inline constexpr TAnchors DefaultAnchors{akLeft, akTop};

/// The anchors that go with each alignment; setting Align sets Anchors to them.
KELVANE_API TAnchors AnchorAlign(TAlignLayout Align);

namespace TypeInfos {
KELVANE_API const TTypeInfo& AlignLayout();
KELVANE_API const TTypeInfo& Anchors();
}  // namespace TypeInfos

/// A parent whose children take part in alignment.
class KELVANE_API IAlignRoot {
 public:
  virtual ~IAlignRoot() = default;
  virtual void Realign() = 0;
  virtual void ChildrenAlignChanged() = 0;
  /// The size the children are laid out in, for recording anchor rules.
  virtual TSizeF GetAlignParentSize() const = 0;
};

/// A child that alignment can place.
class KELVANE_API IAlignableObject {
 public:
  virtual ~IAlignableObject() = default;
  virtual TAlignLayout GetAlign() const = 0;
  virtual void SetAlign(TAlignLayout Value) = 0;
  virtual TAnchors GetAnchors() const = 0;
  virtual void SetAnchors(TAnchors Value) = 0;
  virtual TBounds* GetMargins() = 0;
  virtual void SetBounds(float X, float Y, float AWidth, float AHeight) = 0;
  virtual TBounds* GetPadding() = 0;
  virtual float GetWidth() const = 0;
  virtual float GetHeight() const = 0;
  virtual float GetLeft() const = 0;
  virtual float GetTop() const = 0;
  virtual bool GetAllowAlign() const = 0;
  virtual TPointF GetAnchorRules() const = 0;
  virtual TPointF GetAnchorOrigin() const = 0;
  virtual TPointF GetOriginalParentSize() const = 0;
  virtual bool GetAnchorMove() const = 0;
  virtual void SetAnchorMove(bool Value) = 0;
  virtual TAdjustType GetAdjustType() const = 0;
  virtual TSizeF GetAdjustSizeValue() const = 0;
  /// The child's own scale; a child without one counts as (1, 1).
  virtual TPointF GetAlignScale() const { return {1, 1}; }
};

/// Lays out every alignable child of Parent within ParentWidth × ParentHeight less Padding
/// (which may be null for none).
void AlignObjects(TTreeObject* Parent, TBounds* Padding, float ParentWidth, float ParentHeight, float& LastWidth,
                  float& LastHeight, bool& DisableAlign);

/// Whether Parent has to lay its children out: some alignable child has an Align other than
/// None or other than the default anchors.
bool ChildrenNeedAlign(const TTreeObject& Parent);

/// Round to the nearest integer, halves to the even neighbour.
KELVANE_API float RoundHalfEven(float Value);
