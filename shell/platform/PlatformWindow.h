#pragma once
// TPlatformWindow: the platform's record of a form's native window: its bounds and client
// size in physical pixels, the frame the system adds, its scale, caption, visibility and the
// rectangles waiting to be painted. The conversions between logical and physical pixels live
// here, once for every back end.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "shell/core/Geometry2D.h"
#include "shell/forms/WindowHandle.h"

class TCommonCustomForm;
class TPlatformBackend;

// A rectangle of whole physical pixels.
struct TPhysicalRect {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
  int32_t Width() const { return Right - Left; }
  int32_t Height() const { return Bottom - Top; }
  bool operator==(const TPhysicalRect&) const = default;
};

// What the system adds around the client area, in physical pixels.
struct TFrameExtents {
  int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

class TPlatformWindow : public TWindowHandle {
 public:
  // ABackend keeps the native window and its pixels; none for a window that is only a record.
  explicit TPlatformWindow(TCommonCustomForm* AForm, TPlatformBackend* ABackend = nullptr)
      : FForm(AForm), FBackend(ABackend) {}

  TCommonCustomForm* Form() const { return FForm; }
  // The client area's pixels, from the back end.
  TWindowBuffer Buffer() override;

  // The outer rectangle, physical and logical.
  const TPhysicalRect& Bounds() const { return FBounds; }
  TRectF LogicalBounds() const;
  void SetLogicalBounds(const TRectF& R);
  // The client area: physical is the outer size less the frame.
  int32_t ClientWidth() const { return FBounds.Width() - FFrame.Left - FFrame.Right; }
  int32_t ClientHeight() const { return FBounds.Height() - FFrame.Top - FFrame.Bottom; }
  // The client area's size in logical pixels as it is: physical / scale.
  TSizeF LogicalClientSize() const;
  TRectF LogicalClientRect() const {
    TSizeF S = LogicalClientSize();
    return {0, 0, S.Width, S.Height};
  }
  // The logical client size last asked for (by the form, or by the user through a new size of
  // the window). A new scale makes the physical size anew from it, so that no sequence of
  // scales moves it by rounding or by a correction that held only at another scale.
  TSizeF ClientSizeAsked() const { return FClientSize; }
  // Client area of (Ceil(W × scale), Ceil(H × scale)) physical pixels; the window keeps its
  // position. A side equal to the current one (LogicalClientSize) is the form passing it
  // through: that side keeps the size asked for before.
  void SetLogicalClientSize(const TSizeF& S);
  // The window's monitor has a new scale: the physical client size follows from the logical
  // size asked for; the window keeps its position.
  void ChangeScale(float Value);

  // Every size set here is corrected as a window system corrects a size it cannot give:
  // positions stay within ±MaxPosition physical pixels, and the client area within a bitmap's
  // limits (TBitmap::MaxSide on a side, TBitmap::MaxPixels in all; beyond that the window
  // keeps its width and gets the most height that fits), so that its pixels always fit.
  static constexpr int32_t MaxPosition = 1 << 24;

  float Scale() const { return FScale; }
  const std::string& Caption() const { return FCaption; }
  bool Visible() const { return FVisible; }
  // Whether the system shows the window: not while it is minimised, nor while the system has
  // taken it off the screen (the window manager unmapped it). Paints wait until it shows again.
  bool OnScreen() const { return FVisible && !FMinimized && !FUnmapped; }

  // Set by the back end when the native window is created or changes.
  void SetBounds(const TPhysicalRect& R);
  void SetFrame(const TFrameExtents& F) { FFrame = F; }
  const TFrameExtents& Frame() const { return FFrame; }
  void SetScale(float Value) { FScale = Value; }
  void SetCaption(const std::string& Value) { FCaption = Value; }
  void SetVisible(bool Value) { FVisible = Value; }
  bool Minimized() const { return FMinimized; }
  void SetMinimized(bool Value) { FMinimized = Value; }
  void SetUnmapped(bool Value) { FUnmapped = Value; }
  // Whether showing the window makes it the active one (the system's usual way); a window
  // that appears while the user works elsewhere, and should not take the keyboard, says no.
  bool ActivateWhenShown() const { return FActivateWhenShown; }
  void SetActivateWhenShown(bool Value) { FActivateWhenShown = Value; }

  // Paint bookkeeping, in logical client coordinates. A rectangle inside one already waiting
  // adds nothing, and one that covers waiting ones replaces them, so that invalidating the
  // same area again and again between two paints keeps one rectangle.
  void Invalidate(const TRectF& R);
  bool NeedsPaint() const { return !FInvalid.empty() || FFramesRequested; }
  // A paint is wanted for the form's frames, which mark what they change when prepared.
  void RequestFrames() { FFramesRequested = true; }
  bool TakeFrameRequest() { return std::exchange(FFramesRequested, false); }
  const std::vector<TRectF>& InvalidRects() const { return FInvalid; }
  // The waiting rectangles, cut to the client area; none wait afterwards.
  // Valid until the next call: both lists keep their storage, so that painting in the steady
  // state allocates nothing.
  const std::vector<TRectF>& TakeInvalid();
  bool Painting() const { return FPainting; }
  void SetPainting(bool Value) { FPainting = Value; }
  // Rectangles invalidated while the window was painting.
  std::vector<TRectF>& InPaintUpdateRects() { return FInPaintUpdateRects; }

  // The back end's own data for the native window.
  void* Native = nullptr;

 private:
  // Sets the bounds from an outer position and a client size, corrected as said above.
  void Place(double Left, double Top, double ClientWidth, double ClientHeight);
  // The physical client size of a logical one at the current scale, corrected as said above.
  void PhysicalClientSize(const TSizeF& Logical, int32_t& Width, int32_t& Height) const;
  // After the bounds changed otherwise than by the size asked for (the user, or the system):
  // a side whose physical length is not the one the size asked for gives becomes the new ask.
  void FollowPhysicalClientSize();

  TCommonCustomForm* FForm;
  TPlatformBackend* FBackend;
  TPhysicalRect FBounds;
  TFrameExtents FFrame;
  float FScale = 1;
  TSizeF FClientSize;
  std::string FCaption;
  bool FVisible = false;
  bool FMinimized = false;
  bool FUnmapped = false;
  bool FActivateWhenShown = true;
  bool FPainting = false;
  bool FFramesRequested = false;
  std::vector<TRectF> FInvalid;
  std::vector<TRectF> FTaken;
  std::vector<TRectF> FInPaintUpdateRects;
};
