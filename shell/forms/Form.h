#pragma once
// The form classes: TCommonCustomForm (construction, native window, bounds, showing, closing),
// TCustomForm (background style lookup) and TForm (the published face of a form).
//
// A C++ constructor cannot reach the overrides and members of the class being built, so a
// form's construction ends in AfterConstruction, which the creator calls right after the
// constructor (TApplication::CreateForm does; code uses NewForm<T>): the stored description
// is read there, onto the complete object, followed by the first realign and OnCreate.
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/core/Export.h"
#include "shell/app/Services.h"
#include "shell/canvas/Brush.h"
#include "shell/canvas/Canvas.h"
#include "shell/controls/InputDispatcher.h"
#include "shell/controls/Root.h"
#include "shell/core/TreeObject.h"
#include "shell/layout/Align.h"
#include "shell/layout/Bounds.h"
#include "shell/forms/FormFactor.h"
#include "shell/forms/WindowHandle.h"

enum class TFormPosition {
  Designed, Default, DefaultPosOnly, DefaultSizeOnly, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter
};
enum class TFormBorderStyle { None, Single, Sizeable, ToolWindow, SizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum class TFormStyle { Normal, Popup, StayOnTop };
enum class TFormState { Recreating, WasNotShown, Showing, Closing };
using TFormStates = TSet<TFormState>;
enum class TBoundChange { Location, Size };
using TBoundChanges = TSet<TBoundChange>;
enum class THandleState { Normal, NeedRecreate, Changed };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;

/// Selects the form constructor that reads no stored description.
struct TCreateNew {};

namespace TypeInfos {
KELVANE_API const TTypeInfo& FormPosition();
KELVANE_API const TTypeInfo& FormBorderStyle();
KELVANE_API const TTypeInfo& BorderIcons();
KELVANE_API const TTypeInfo& WindowState();
KELVANE_API const TTypeInfo& FormStyle();
KELVANE_API const TTypeInfo& CloseEvent();
KELVANE_API const TTypeInfo& CloseQueryEvent();
KELVANE_API const TTypeInfo& CanvasQuality();
}  // namespace TypeInfos

/// The root of a tree of controls: it lays its children out in its client area, takes their
/// invalidations to its window and keeps their focus, capture and hover through its input
/// dispatcher.
class KELVANE_API TCommonCustomForm : public TTreeObject, public IRoot, public IAlignRoot {
  KLV_CLASS(TCommonCustomForm)
 public:
  /// Looks up the window service; the window and the stored description follow in
  /// AfterConstruction.
  explicit TCommonCustomForm(TComponent* AOwner);
  /// A form without a stored description: the window exists when the constructor returns.
  TCommonCustomForm(TComponent* AOwner, TCreateNew);
  ~TCommonCustomForm() override;

  /// Finishes construction: for the loading constructor the preload properties, the window and
  /// the stored description; then the first realign, OnCreate and OnResize. Runs once.
  virtual void AfterConstruction();

  TWindowHandle* Handle() const { return FHandle; }
  void HandleNeeded();

  int32_t Left() const { return FLeft; }
  void SetLeft(int32_t Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  int32_t Top() const { return FTop; }
  void SetTop(int32_t Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  int32_t Width() const { return FWidth; }
  void SetWidth(int32_t Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  int32_t Height() const { return FHeight; }
  void SetHeight(int32_t Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);

  /// The client size in logical pixels, rounded to whole pixels.
  int32_t ClientWidth() const;
  void SetClientWidth(int32_t Value);
  int32_t ClientHeight() const;
  void SetClientHeight(int32_t Value);
  /// The client area in logical pixels as the window has it (physical size / scale, not
  /// rounded); empty without a window.
  TRectF ClientRect() const;

  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);

  TFormPosition Position() const { return FPosition; }
  void SetPosition(TFormPosition Value) { FPosition = Value; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const { return FWindowState; }
  void SetWindowState(TWindowState Value) { FWindowState = Value; }
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  TFormFactor* FormFactor() const { return FFormFactor.get(); }
  void SetFormFactor(TFormFactor* Value) { FFormFactor->Assign(Value); }
  bool BorderStyling() const { return FBorderStyling; }

  TFormStates FormState() const { return FFormState; }
  TBoundChanges BoundChanges() const { return FBoundChanges; }
  const TRectF& DefaultWindowRect() const { return FDefaultWindowRect; }
  int32_t DesignerMasterStyle() const { return FDesignerMasterStyle; }
  const std::string& DesignerDeviceName() const { return FDesignerDeviceName; }

  void Show();
  void Hide();
  void Close();
  /// Frees the form once the loop takes the next message, so that a handler of the form can
  /// ask for it; at once when there is no loop.
  void Release();
  virtual bool CloseQuery();
  void Activate();
  void Deactivate();
  bool Active() const { return FActive; }

  TBounds* Padding() const { return FPadding.get(); }
  void SetPadding(TBounds* Value) { FPadding->Assign(Value); }
  TInputDispatcher& Input() { return FInput; }

  /// IAlignRoot: lays out the children in the client area, rounded to whole pixels.
  void Realign() override;
  void ChildrenAlignChanged() override {}
  TSizeF GetAlignParentSize() const override;

  /// IRoot
  TTreeObject* GetRootObject() override { return this; }
  TCanvas* GetCanvas() override { return nullptr; }
  float GetSceneScale() override;
  void AddUpdateRect(const TRectF& R) override { InvalidateRect(R); }
  void RequestFrame(TControl* Control) override;
  TControl* GetFocused() override { return FInput.Focused(); }
  void SetFocused(TControl* Value) override { FInput.SetFocused(Value); }
  TControl* GetCaptured() override { return FInput.Captured(); }
  void SetCaptured(TControl* Value) override { FInput.SetCaptured(Value); }
  bool ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) override {
    return FInput.ReleaseEndsCapture(Button, Shift);
  }
  TControl* GetHovered() override { return FInput.Hovered(); }
  TPointF GetMousePos() override { return FInput.MousePos(); }
  void ControlRemoved(TControl* Control) override { FInput.ControlRemoved(Control); }
  /// A clicked button's ModalResult lands here.
  void SetModalResult(int Value) override { FModalResult = Value; }
  int ModalResult() const { return FModalResult; }

  /// Marks R (logical client coordinates) for the next paint.
  void InvalidateRect(const TRectF& R);
  /// Paints the given rectangles of the client area; the platform calls it for a paint
  /// message. The base form has nothing of its own to draw.
  virtual void PaintRects(const std::vector<TRectF>& Rects);
  /// Lets every control that asked for a frame (RequestFrame) draw it and mark what changed;
  /// the platform calls it before a paint takes the marked parts of the window.
  void PrepareFrames();

  /// The window procedure's side of the form, called by the platform:
  /// the window was moved or resized (or minimised, maximised, restored): the form's bounds
  /// follow the window, its WindowState the window's placement, and a new size lays the
  /// children out again;
  void HandleWindowPosChanged(TWindowState State);
  /// the window's scale changed: the form's resources are made anew and every listener of
  /// TScaleChangedMessage hears of it.
  virtual void HandleScaleChanged();

  TNotifyEvent OnCreate, OnDestroy, OnResize, OnShow, OnHide, OnActivate, OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  /// The form's own keys (those its focused control leaves unconsumed) and wheel (before the
  /// control under the mouse, which gets the wheel unless this sets Handled).
  TKeyEvent OnKeyDown, OnKeyUp;
  TMouseWheelEvent OnMouseWheel;

  void DefineProperties(TFiler& Filer) override;
  void Loaded() override;

 protected:
  void BeforeDestruction() override;
  /// Names of the root properties that must be known before the window exists.
  virtual void AddPreloadPropertyNames(std::vector<std::string>& Names);
  /// Applies the defaults of the preload properties, then the stored values found (by name:
  /// an identifier of an enumeration property, or "True"/"False").
  virtual void SetPreloadProperties(const std::map<std::string, std::string>& Values);
  virtual void InitializeNewForm();
  virtual void CreateHandle();
  virtual void DestroyHandle();
  /// The client size changed: the children are laid out anew.
  virtual void ResizeHandle();
  virtual void DoCreate();
  virtual void DoClose(TCloseAction& Action);
  virtual void Resize();

  IWindowService* FWinService = nullptr;

 private:
  /// The first step of both constructors: the window service, the state and the sub-objects.
  void InitCommon();
  void PreloadProperties();
  void LoadStoredDescription();
  /// The form's bounds follow its window; the position only once the form has been shown.
  void UpdateBoundsFromWindow();
  void PlaceForFirstShow();
  void StoreBounds(int32_t ALeft, int32_t ATop, int32_t AWidth, int32_t AHeight);

  void PaddingChanged(TObject*) { Realign(); }

  bool FLoadsDescription;
  bool FConstructed = false;
  std::unique_ptr<TBounds> FPadding;
  TInputDispatcher FInput{this};
  /// The size the children were last laid out in, and the client size they were designed for.
  float FLastWidth = 0, FLastHeight = 0;
  bool FDisableAlign = false;
  TSizeF FOriginalContainerSize;
  TWindowHandle* FHandle = nullptr;
  int32_t FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  std::string FCaption;
  TFormPosition FPosition = TFormPosition::Designed;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::Sizeable;
  TBorderIcons FBorderIcons;
  TFormStyle FFormStyle = TFormStyle::Normal;
  TWindowState FWindowState = wsNormal;
  bool FVisible = false;
  bool FActive = false;
  bool FBorderStyling = true;
  std::unique_ptr<TFormFactor> FFormFactor;
  TFormStates FFormState;
  THandleState FHandleState = THandleState::Normal;
  TBoundChanges FBoundChanges;
  TRectF FDefaultWindowRect;
  TSizeF FDefaultClientSize;
  int32_t FDesignerMasterStyle = 0;
  std::string FDesignerDeviceName;

  int FModalResult = 0;
  /// The client size the children were last laid out in (whole logical pixels).
  TSizeF FAlignedSize;
};

/// A form that paints: its window's canvas, its background (Fill) and its controls.
class KELVANE_API TCustomForm : public TCommonCustomForm {
  KLV_CLASS(TCustomForm)
 public:
  explicit TCustomForm(TComponent* AOwner);
  TCustomForm(TComponent* AOwner, TCreateNew);
  ~TCustomForm() override;

  const std::string& StyleLookup() const { return FStyleLookup; }
  /// A new name takes effect at the next paint.
  void SetStyleLookup(const std::string& Value);
  /// The copy of the background style (StyleLookup): the form's first child, laid over the
  /// whole client area beneath the controls, shown while Fill is of kind None; none until the
  /// first paint looks it up, or when no style has it.
  TControl* ResourceLink() const { return FResourceLink; }
  /// Lets go of the background style; the next paint looks it up again.
  void NeedStyleLookup();
  /// The background: a brush of kind None and colour white unless set.
  TBrush* Fill() const { return FFill.get(); }
  void SetFill(TBrush* Value) { FFill->Assign(Value); }
  TCanvasQuality Quality() const { return FQuality; }
  void SetQuality(TCanvasQuality Value);

  /// The canvas over the window's pixels: made at the first paint, kept while the window
  /// keeps its scale.
  TCanvas* Canvas() const { return FCanvas.get(); }
  bool Painting() const { return FPainting; }

  /// The canvas while a paint is in progress, else none.
  TCanvas* GetCanvas() override { return FPainting ? FCanvas.get() : nullptr; }
  /// Paints the rectangles (logical client coordinates) in one scene on the canvas: the
  /// background, then every visible child that meets them, in child order; the end of the
  /// scene presents exactly those rectangles. Does nothing while a paint is in progress.
  void PaintRects(const std::vector<TRectF>& Rects) override;
  void HandleScaleChanged() override;

 protected:
  void AddPreloadPropertyNames(std::vector<std::string>& Names) override;
  void SetPreloadProperties(const std::map<std::string, std::string>& Values) override;
  void InitializeNewForm() override;
  /// Fills the clip area with the background.
  virtual void PaintBackground();
  /// Takes the background style if it is pending.
  void ApplyStyleLookup();

 private:
  void FillChanged(TObject*);
  void ListenToStyleChanges();
  /// Makes the canvas if needed and points it at the window's current pixels.
  bool PrepareCanvas();

  std::string FStyleLookup;
  std::unique_ptr<TBrush> FFill;
  TCanvasQuality FQuality = TCanvasQuality::SystemDefault;
  std::unique_ptr<TCanvas> FCanvas;
  bool FPainting = false;
  TControl* FResourceLink = nullptr;
  bool FNeedStyleLookup = true;
  int64_t FStyleChangedId = 0;
};

/// The form class that applications derive from; publishes the form's properties and events.
class KELVANE_API TForm : public TCustomForm {
  KLV_CLASS(TForm)
 public:
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
  TForm(TComponent* AOwner, TCreateNew) : TCustomForm(AOwner, TCreateNew{}) {}
};

/// Creates a form of class T completely (constructor, then AfterConstruction); a form whose
/// construction fails is freed and the exception passes on.
template <typename T, typename... A>
T* NewForm(A&&... Args) {
  T* Form = new T(std::forward<A>(Args)...);
  try {
    Form->AfterConstruction();
  } catch (...) {
    Form->Free();
    throw;
  }
  return Form;
}
