#pragma once
// How a rectangle of a style image is fitted to a style object: the parts to draw, each a
// source rectangle in image pixels and a target rectangle in logical units, and the choice of
// image variant and link for a scene scale.
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Geometry2D.h"

class TCanvas;

/// How the edges and the centre between cap insets are filled.
enum class TCapWrapMode { Stretch, Tile };
/// How an image without cap insets is fitted to its target.
enum class TImageWrapMode { Original, Fit, Stretch, Tile, Center, Place };

/// One part of a style image to draw: a rectangle of the image onto a rectangle of the object.
struct KELVANE_API TImagePart {
  TRectF Source;  // image pixels
  TRectF Target;  // logical units
  bool operator==(const TImagePart&) const = default;
};

/// The parts that draw Source (image pixels) with CapInsets (image pixels; Left, Top, Right,
/// Bottom) into Target (logical units), for an image of ImageScale pixels per logical unit.
/// With any cap inset: nine parts, the target widened to the insets when smaller and every part
/// cut to the original target. Without: as WrapMode says. Empty parts are left out.
std::vector<TImagePart> LayoutStyleImage(const TRectF& Source, const TRectF& CapInsets, float ImageScale,
                                         const TRectF& Target, TCapWrapMode CapMode, TImageWrapMode WrapMode);

/// R (logical, under the canvas's matrix) moved to whole device pixels of a canvas at Scale.
TRectF AlignToDevicePixels(const TRectF& R, const TMatrix& M, float Scale);

/// Whether image parts can be drawn without smoothing: a whole scale and a matrix without a
/// fractional device offset.
bool CanDrawHighSpeed(const TMatrix& M, float Scale);
