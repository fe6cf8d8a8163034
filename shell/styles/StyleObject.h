#pragma once
// The style objects that draw a rectangle of the style's artwork: TStyleObject (one link set)
// and TButtonStyleObject (a link set per visual state, chosen by the states of the styled
// control when it raises a trigger). A link set holds, per scale, the source rectangle in the
// image and the cap insets.
#include <memory>
#include <string>

#include "shell/core/Export.h"
#include "shell/controls/Control.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Collection.h"
#include "shell/layout/Bounds.h"
#include "shell/styles/StyleImage.h"

class TBitmap;
class TCanvas;
class TImage;

namespace TypeInfos {
KELVANE_API const TTypeInfo& CapWrapMode();
}

/// A rectangle of the artwork for one scale: SourceRect and CapInsets in image pixels.
class KELVANE_API TBitmapLink : public TCollectionItem {
  KLV_CLASS(TBitmapLink)
 public:
  TBitmapLink();
  ~TBitmapLink() override;

  float Scale() const { return FScale; }
  void SetScale(float Value);
  TBounds* SourceRect() const { return FSourceRect.get(); }
  void SetSourceRect(TBounds* Value) { FSourceRect->Assign(Value); }
  TBounds* CapInsets() const { return FCapInsets.get(); }
  void SetCapInsets(TBounds* Value) { FCapInsets->Assign(Value); }

  void Assign(TPersistent* Source) override;

 private:
  void PartChanged(TObject*) { Changed(false); }

  float FScale = 1;
  std::unique_ptr<TBounds> FSourceRect;
  std::unique_ptr<TBounds> FCapInsets;
};

/// A style object's rectangles of the artwork, one link per scene scale.
class KELVANE_API TBitmapLinks : public TCollection {
  KLV_CLASS(TBitmapLinks)
 public:
  TBitmapLinks();

  TBitmapLink* Items(int Index) const { return static_cast<TBitmapLink*>(TCollection::Items(Index)); }
  TBitmapLink* Add() { return static_cast<TBitmapLink*>(TCollection::Add()); }
  /// The link for Scale: the one whose scale is nearest, a scale below the wanted one counting
  /// 0.0001 farther, the earlier link winning a tie; none when empty.
  TBitmapLink* LinkByScale(float Scale) const;

  TNotifyEvent OnChanged;

 protected:
  void Update(TCollectionItem*) override { OnChanged(this); }
};

/// The base of the style image objects: where the artwork is (SourceLookup) and how a rectangle
/// of it is fitted to the object.
class KELVANE_API TCustomStyleObject : public TControl {
  KLV_CLASS(TCustomStyleObject)
 public:
  explicit TCustomStyleObject(TComponent* AOwner);
  ~TCustomStyleObject() override;

  /// The StyleName of the TImage with the artwork.
  const std::string& SourceLookup() const { return FSourceLookup; }
  void SetSourceLookup(const std::string& Value);
  TCapWrapMode CapMode() const { return FCapMode; }
  void SetCapMode(TCapWrapMode Value);
  TImageWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TImageWrapMode Value);
  /// An opaque object at full opacity replaces the pixels beneath instead of blending.
  bool Opaque() const { return FOpaque; }
  void SetOpaque(bool Value);
  /// A tint colour multiplies every pixel drawn (a button's TintColor on its background); Null
  /// draws the artwork as it is.
  TAlphaColor TintColor() const { return FTintColor; }
  void SetTintColor(TAlphaColor Value);

  /// The style tree the artwork is looked up in: the container a copy was taken from. Without
  /// one, the nearest container among the parents.
  TComponent* StyleSource() const { return FStyleSource; }
  void SetStyleSource(TComponent* Value);
  /// The image named by SourceLookup, or none.
  TImage* FindSourceImage() const;
  /// The links of the current state.
  virtual TBitmapLinks* CurrentLinks() const = 0;

  /// Draws the current link's rectangle into Target (local units) on C.
  void DrawStyleImage(TCanvas& C, const TRectF& Target, float AOpacity);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void Paint() override;
  /// A change of Links repaints the object.
  void WatchLinks(TBitmapLinks& Links) { Links.OnChanged = TNotifyEvent(this, &TCustomStyleObject::LinksChanged); }

 private:
  void LinksChanged(TObject*) { Repaint(); }
  /// Source multiplied by the tint colour, made again only when the source or the tint changed.
  TBitmap& Tinted(TBitmap& Source);

  std::string FSourceLookup;
  TAlphaColor FTintColor = TAlphaColors::Null;
  std::unique_ptr<TBitmap> FTinted;
  const TBitmap* FTintedFrom = nullptr;
  TAlphaColor FTintedWith = TAlphaColors::Null;
  TCapWrapMode FCapMode = TCapWrapMode::Stretch;
  TImageWrapMode FWrapMode = TImageWrapMode::Stretch;
  bool FOpaque = false;
  TComponent* FStyleSource = nullptr;
};

/// A style object that draws one rectangle of the style's artwork, stretched by its cap insets.
class KELVANE_API TStyleObject : public TCustomStyleObject {
  KLV_CLASS(TStyleObject)
 public:
  explicit TStyleObject(TComponent* AOwner);
  ~TStyleObject() override;

  TBitmapLinks* SourceLink() const { return FSourceLink.get(); }
  void SetSourceLink(TBitmapLinks* Value) { FSourceLink->Assign(Value); }
  TBitmapLinks* CurrentLinks() const override { return FSourceLink.get(); }

 private:
  std::unique_ptr<TBitmapLinks> FSourceLink;
};

/// A style image with two looks: the active one while the state named by ActiveTrigger holds on
/// the styled control ("IsMouseOver", "IsPressed", "IsFocused", "Pressed"), the source one
/// otherwise.
class KELVANE_API TActiveStyleObject : public TCustomStyleObject {
  KLV_CLASS(TActiveStyleObject)
 public:
  explicit TActiveStyleObject(TComponent* AOwner);
  ~TActiveStyleObject() override;

  TBitmapLinks* SourceLink() const { return FSourceLink.get(); }
  void SetSourceLink(TBitmapLinks* Value) { FSourceLink->Assign(Value); }
  TBitmapLinks* ActiveLink() const { return FActiveLink.get(); }
  void SetActiveLink(TBitmapLinks* Value) { FActiveLink->Assign(Value); }
  const std::string& ActiveTrigger() const { return FActiveTrigger; }
  void SetActiveTrigger(const std::string& Value);
  bool Active() const { return FActive; }

  TBitmapLinks* CurrentLinks() const override { return FActive ? FActiveLink.get() : FSourceLink.get(); }
  void StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) override;
  void ResetState() override;

 private:
  std::unique_ptr<TBitmapLinks> FSourceLink;
  std::unique_ptr<TBitmapLinks> FActiveLink;
  std::string FActiveTrigger;
  bool FActive = false;
};

/// The four looks of a button style object.
enum class TButtonStyleState { Normal, Hot, Pressed, Focused };

/// The look whose condition holds on the styled control AInstance: normal
/// "IsMouseOver=False;IsPressed=False;IsFocused=False", hot "IsMouseOver=True;IsPressed=False",
/// focused "IsMouseOver=False;IsFocused=True;IsPressed=False", pressed
/// "IsMouseOver=True;IsPressed=True". False when none holds. A state the control does not have
/// counts as False.
bool ChooseButtonStyleState(const TControl& AInstance, TButtonStyleState& State);
/// Whether a trigger names one of the states the conditions above look at.
bool IsButtonStyleTrigger(const std::string& Trigger);

/// A style object with a rectangle of the artwork for each visual state of a button (normal, hot,
/// pressed, focused), chosen by the control's triggers.
class KELVANE_API TButtonStyleObject : public TCustomStyleObject {
  KLV_CLASS(TButtonStyleObject)
 public:
  explicit TButtonStyleObject(TComponent* AOwner);
  ~TButtonStyleObject() override;

  TBitmapLinks* NormalLink() const { return FLinks[0].get(); }
  void SetNormalLink(TBitmapLinks* Value) { FLinks[0]->Assign(Value); }
  TBitmapLinks* HotLink() const { return FLinks[1].get(); }
  void SetHotLink(TBitmapLinks* Value) { FLinks[1]->Assign(Value); }
  TBitmapLinks* PressedLink() const { return FLinks[2].get(); }
  void SetPressedLink(TBitmapLinks* Value) { FLinks[2]->Assign(Value); }
  TBitmapLinks* FocusedLink() const { return FLinks[3].get(); }
  void SetFocusedLink(TBitmapLinks* Value) { FLinks[3]->Assign(Value); }

  TButtonStyleState State() const { return FState; }
  TBitmapLinks* CurrentLinks() const override { return FLinks[static_cast<int>(FState)].get(); }
  /// Takes the look whose condition holds on AInstance; keeps the current one when none does.
  void StartTriggerAnimation(TControl* AInstance, const std::string& ATrigger) override;
  void ResetState() override;

 private:
  std::unique_ptr<TBitmapLinks> FLinks[4];
  TButtonStyleState FState = TButtonStyleState::Normal;
};
