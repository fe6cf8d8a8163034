#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/canvas/Brush.h"
#include "shell/canvas/Font.h"
#include "shell/core/Geometry2D.h"

class TBitmap;

enum class TCanvasQuality { SystemDefault, HighPerformance, HighQuality };
enum class TCorner { TopLeft, TopRight, BottomLeft, BottomRight };
using TCorners = TSet<TCorner>;
inline constexpr TCorners AllCorners{TCorner::TopLeft, TCorner::TopRight, TCorner::BottomLeft, TCorner::BottomRight};
enum class TCornerType { Round, Bevel, InnerRound, InnerLine };
enum class TTextAlign { Center, Leading, Trailing };
enum class TFillTextFlag { RightToLeft };
using TFillTextFlags = TSet<TFillTextFlag>;
/// What a canvas class can do; the layer asks for SupportClipRects.
enum class TCanvasStyle { NeedGPUSurface, SupportClipRects, SupportModulation };
using TCanvasStyles = TSet<TCanvasStyle>;
using TClipRects = std::vector<TRectF>;

namespace TypeInfos {
KELVANE_API const TTypeInfo& Corners();
KELVANE_API const TTypeInfo& CornerType();
KELVANE_API const TTypeInfo& TextAlign();
}  // namespace TypeInfos

/// A window's pixels, owned by the window back end: 32-bit premultiplied ARGB in native byte
/// order (Cairo's ARGB32), Stride bytes per row (a multiple of 4), at Scale pixels per logical
/// unit. Present is called at the end of each outermost scene with the device-pixel rectangles
/// that the scene could change (its clip rectangles, or the whole buffer).
struct KELVANE_API TWindowBuffer {
  uint8_t* Data = nullptr;
  int Width = 0;
  int Height = 0;
  int Stride = 0;
  float Scale = 1;
  std::function<void(const std::vector<TRectF>& DeviceRects)> Present;
};

/// TCanvas: the 2D drawing surface of a window or a bitmap. The base class holds what every
/// implementation shares (the scene bracket with the process-wide lock, the current fill, stroke,
/// font and matrix, the rule for reusing a device brush); an implementation does the drawing.
class KELVANE_API TCanvas {
 public:
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  /// Size of the target in pixels.
  int Width() const;
  int Height() const;
  /// Pixels per logical unit: the bitmap's BitmapScale or the window's scale.
  float Scale() const;
  TCanvasQuality Quality() const { return FQuality; }
  int BeginSceneCount() const { return FBeginSceneCount; }
  /// The bitmap drawn on, for a bitmap canvas; none for a window canvas.
  TBitmap* Bitmap() const { return FBitmap; }

  TBrush* Fill() const { return FFill.get(); }
  void SetFill(TBrush* Value) { FFill->Assign(Value); }
  TStrokeBrush* Stroke() const { return FStroke.get(); }
  void SetStroke(TStrokeBrush* Value) { FStroke->Assign(Value); }
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  const TMatrix& Matrix() const { return FMatrix; }
  /// Subsequent drawing is transformed by M (logical coordinates to the target, before the
  /// scale); BeginScene resets it to identity.
  void SetMatrix(const TMatrix& M);
  /// Where the target lies on a larger surface painted piece by piece: its top-left pixel is
  /// pixel (X, Y) of that surface, and drawing and clip rectangles are given for the whole
  /// surface, so that each piece gets the pixels a target of the whole surface would. (0, 0)
  /// by default; set outside scenes.
  void SetOrigin(int X, int Y);
  int OriginX() const { return FOriginX; }
  int OriginY() const { return FOriginY; }
  /// Whether drawing blends with the pixels underneath (the default) or replaces them, as an
  /// opaque style image may ask; BeginScene switches it on again.
  bool Blending() const { return FBlending; }
  void SetBlending(bool Value);

  /// Opens a scene. Takes the process-wide canvas lock first; a nested call only counts. Fails
  /// (releasing the lock, drawing nothing) when the target has a zero side or cannot be drawn
  /// on. On success resets stroke, fill kind and matrix and limits drawing to the union of
  /// ClipRects (logical units) when they are given. ContextHandle is accepted for callers that
  /// pass one; none of our targets needs it.
  bool BeginScene(const TClipRects* ClipRects = nullptr, uintptr_t ContextHandle = 0);
  /// The rectangles (logical units) the open scene is limited to; none when it is not limited.
  const TClipRects& ClipRects() const { return FClipRects; }
  /// Closes one level; the outermost finishes the drawing (a window canvas presents, a bitmap
  /// canvas reports its bitmap changed). Always releases the lock once.
  void EndScene();

  /// The process-wide re-entrant lock shared by every canvas scene and every 3D context scene.
  static void Lock();
  static void Unlock();
  static bool TryLock();

  /// Every pixel inside the scene's clip becomes Color, without blending and regardless of the
  /// matrix.
  void Clear(TAlphaColor Color);
  /// The same within Rect (through the matrix and scale), aligned to whole pixels.
  void ClearRect(const TRectF& ARect, TAlphaColor AColor = 0);
  /// Fills with the canvas's Fill, or with ABrush; nothing for kind None. Rounded corners
  /// need a non-zero radius and a non-empty Corners.
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void FillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  /// Outlines with the canvas's Stroke, or with ABrush.
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                TCornerType ACornerType = TCornerType::Round);
  void DrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                const TStrokeBrush& ABrush, TCornerType ACornerType = TCornerType::Round);
  void DrawLine(const TPointF& P1, const TPointF& P2, float AOpacity);
  void DrawLine(const TPointF& P1, const TPointF& P2, float AOpacity, const TStrokeBrush& ABrush);
  /// SrcRect (bitmap pixels) into DstRect (logical, through the matrix): nearest source pixel
  /// with HighSpeed, linear interpolation otherwise. An empty bitmap draws nothing.
  void DrawBitmap(TBitmap& ABitmap, const TRectF& SrcRect, const TRectF& DstRect, float AOpacity,
                  bool HighSpeed = false);

  /// Text in ARect with the canvas's Font and Fill, aligned horizontally by ATextAlign and
  /// vertically by AVTextAlign; WordWrap breaks lines at ARect's width.
  void FillText(const TRectF& ARect, const std::string& AText, bool WordWrap, float AOpacity,
                TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign = TTextAlign::Center);
  /// ARect becomes the rectangle FillText would cover with AText. Works outside scenes too.
  void MeasureText(TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                   TTextAlign ATextAlign, TTextAlign AVTextAlign);
  float TextWidth(const std::string& AText);
  float TextHeight(const std::string& AText);

  /// Finishes drawing that the implementation may still hold back.
  void Flush();

  /// Points a window canvas at a new buffer (after a resize or scale change); outside scenes.
  void SetWindowBuffer(const TWindowBuffer& Buffer);
  const TWindowBuffer& WindowBuffer() const { return FBuffer; }

  /// How many device brushes this canvas has made: a fill that reuses the last one adds none.
  uint64_t DeviceBrushesMade() const { return FDeviceBrushesMade; }

 protected:
  TCanvas(TBitmap& ABitmap, TCanvasQuality AQuality);
  TCanvas(const TWindowBuffer& ABuffer, TCanvasQuality AQuality);

  /// Begins drawing on the target; false when it cannot. ClipRects are in logical units.
  virtual bool DoBeginScene(const TClipRects* ClipRects) = 0;
  virtual void DoEndScene() = 0;
  virtual void DoSetMatrix(const TMatrix& M) = 0;
  virtual void DoSetBlending(bool) {}
  virtual void DoClear(TAlphaColor Color) = 0;
  virtual void DoClearRect(const TRectF& ARect, TAlphaColor AColor) = 0;
  /// ABrush is a drawable kind (Solid, Gradient or Bitmap with pixels).
  virtual void DoFillRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TBrush& ABrush, TCornerType ACornerType) = 0;
  /// AStroke gives the line's geometry, APaint (AStroke or the style's brush) its colour.
  virtual void DoDrawRect(const TRectF& ARect, float XRadius, float YRadius, TCorners ACorners, float AOpacity,
                          const TStrokeBrush& AStroke, const TBrush& APaint, TCornerType ACornerType) = 0;
  virtual void DoDrawLine(const TPointF& P1, const TPointF& P2, float AOpacity, const TStrokeBrush& AStroke,
                          const TBrush& APaint) = 0;
  virtual void DoDrawBitmap(TBitmap& ABitmap, const TRectF& SrcRect, const TRectF& DstRect, float AOpacity,
                            bool HighSpeed) = 0;
  virtual void DoFillText(const TRectF& ARect, const std::string& AText, bool WordWrap, float AOpacity,
                          TFillTextFlags Flags, TTextAlign ATextAlign, TTextAlign AVTextAlign,
                          const TBrush& APaint) = 0;
  virtual void DoMeasureText(TRectF& ARect, const std::string& AText, bool WordWrap, TFillTextFlags Flags,
                             TTextAlign ATextAlign, TTextAlign AVTextAlign) = 0;
  virtual void DoFlush() {}

  /// The brush that really fills for ABrush: ABrush itself, the style's brush for a resource
  /// brush, or none when nothing would be visible.
  static const TBrush* ResolveBrush(const TBrush& ABrush);
  /// Whether the last device brush serves ABrush over ARect at AOpacity: same kind, opacity
  /// within 0.0001, and the same colour, gradient and rectangle, or the same bitmap, wrap mode
  /// and rectangle. When not, the brush becomes the new last one and is counted as made.
  bool ReuseDeviceBrush(const TBrush& ABrush, const TRectF& ARect, float AOpacity);
  /// Forgets the last device brush (the implementation dropped it).
  void ForgetDeviceBrush();

 private:
  struct TDeviceBrushKey;

  TBitmap* FBitmap = nullptr;
  TWindowBuffer FBuffer;
  TCanvasQuality FQuality;
  int FBeginSceneCount = 0;
  std::unique_ptr<TBrush> FFill;
  std::unique_ptr<TStrokeBrush> FStroke;
  std::unique_ptr<TFont> FFont;
  TMatrix FMatrix;
  bool FBlending = true;
  TClipRects FClipRects;
  int FOriginX = 0, FOriginY = 0;
  std::unique_ptr<TDeviceBrushKey> FLastBrush;
  uint64_t FDeviceBrushesMade = 0;
};

/// A canvas scene for the length of a scope: opened by the constructor, closed on every way out
/// when it opened. Test it before drawing: `TCanvasScene Scene(C); if (!Scene) return;`.
class [[nodiscard]] TCanvasScene {
 public:
  explicit TCanvasScene(TCanvas& Canvas, const TClipRects* ClipRects = nullptr)
      : FCanvas(Canvas), FOpen(Canvas.BeginScene(ClipRects)) {}
  ~TCanvasScene() {
    if (FOpen) FCanvas.EndScene();
  }
  TCanvasScene(const TCanvasScene&) = delete;
  TCanvasScene& operator=(const TCanvasScene&) = delete;
  explicit operator bool() const { return FOpen; }

 private:
  TCanvas& FCanvas;
  bool FOpen;
};
