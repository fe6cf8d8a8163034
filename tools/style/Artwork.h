#pragma once
// The artwork of the built-in styles, drawn at build time: per style, one image holding a flat
// button face in four states, a horizontal and a vertical track, and horizontal and vertical
// thumbs in four states, at the rectangles the style sources name; and a small ring of dots.
#include <memory>
#include <string>
#include <vector>

#include "shell/core/AlphaColor.h"

class TBitmap;

// A rectangle in image pixels.
struct TArtRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
};

// A face: an outline of Border and a vertical gradient from Top to Bottom inside it.
struct TArtFace {
  TAlphaColor Border = 0;
  TAlphaColor Top = 0;
  TAlphaColor Bottom = 0;
  int BorderWidth = 1;  // at scale 1
};

enum TArtState { asNormal, asHot, asPressed, asFocused };

struct TStyleArt {
  std::string Name;        // "win10", "win8", "win7"
  std::string ImageName;   // the item name of the image in the style
  std::string RingsName;   // the item name of the rings image; empty for none
  int Width = 0, Height = 0;  // the image at scale 1
  TArtRect Button[4];
  TArtFace ButtonFace[4];
  TArtRect HTrack, VTrack;
  int TrackBar[2] = {0, 0};  // the groove across the track, from and to (at scale 1)
  TArtFace TrackFace;
  TArtRect HThumb[4], VThumb[4];
  TArtFace ThumbFace[4];
};

// The three built-in styles.
const std::vector<TStyleArt>& StyleArts();
const TStyleArt* FindStyleArt(const std::string& Name);

// The scales the images are drawn at, in the order the styles store them.
inline constexpr float ArtScales[] = {2.0f, 1.5f, 1.0f};

// R at scale S: every coordinate times S, rounded half to even.
TArtRect ScaleArtRect(const TArtRect& R, float S);
// A length at scale S, at least 1 when L is.
int ScaleArtLength(int L, float S);

std::unique_ptr<TBitmap> DrawStyleImage(const TStyleArt& Art, float Scale);
// Eight dots on a circle, darker round the ring: an activity indicator.
std::unique_ptr<TBitmap> DrawRingsImage(float Scale);
