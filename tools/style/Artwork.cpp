#include "tools/style/Artwork.h"

#include <algorithm>
#include <cmath>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/Brush.h"
#include "shell/canvas/Canvas.h"

namespace {
TArtRect R(int L, int T, int Rt, int B) { return {L, T, Rt, B}; }

TStyleArt Win10() {
  TStyleArt A;
  A.Name = "win10";
  A.ImageName = "Windows 10 Desktopstyle.png";
  A.RingsName = "Windows 10 Desktoprings_black.png";
  A.Width = 300;
  A.Height = 300;
  A.Button[asNormal] = R(4, 168, 84, 197);
  A.Button[asHot] = R(4, 199, 84, 228);
  A.Button[asPressed] = R(4, 230, 84, 259);
  A.Button[asFocused] = R(4, 261, 84, 290);
  A.ButtonFace[asNormal] = {0xFFADADAD, 0xFFE1E1E1, 0xFFE1E1E1, 1};
  A.ButtonFace[asHot] = {0xFF0078D7, 0xFFE5F1FB, 0xFFE5F1FB, 1};
  A.ButtonFace[asPressed] = {0xFF005499, 0xFFCCE4F7, 0xFFCCE4F7, 1};
  A.ButtonFace[asFocused] = {0xFF0078D7, 0xFFE1E1E1, 0xFFE1E1E1, 2};
  A.HTrack = R(225, 177, 283, 188);
  A.VTrack = R(287, 178, 298, 236);
  A.TrackBar[0] = 4;
  A.TrackBar[1] = 7;
  A.TrackFace = {0xFFD6D6D6, 0xFFE7EAEA, 0xFFE7EAEA, 1};
  A.HThumb[asNormal] = R(247, 191, 255, 210);
  A.HThumb[asHot] = R(259, 191, 267, 210);
  A.HThumb[asPressed] = R(271, 191, 279, 210);
  A.HThumb[asFocused] = R(91, 121, 102, 142);
  A.VThumb[asNormal] = R(91, 168, 110, 176);
  A.VThumb[asHot] = R(91, 180, 110, 188);
  A.VThumb[asPressed] = R(91, 192, 110, 200);
  A.VThumb[asFocused] = R(91, 204, 112, 215);
  A.ThumbFace[asNormal] = {0xFF007AD9, 0xFF007AD9, 0xFF007AD9, 1};
  A.ThumbFace[asHot] = {0xFF171717, 0xFF171717, 0xFF171717, 1};
  A.ThumbFace[asPressed] = {0xFFCCCCCC, 0xFFCCCCCC, 0xFFCCCCCC, 1};
  A.ThumbFace[asFocused] = {0xFF000000, 0xFF007AD9, 0xFF007AD9, 1};
  return A;
}

TStyleArt Win8() {
  TStyleArt A;
  A.Name = "win8";
  A.ImageName = "Windows 8 Desktopstyle.png";
  A.RingsName = "Windows 8 Desktoprings_black.png";
  A.Width = 200;
  A.Height = 140;
  A.Button[asNormal] = R(4, 4, 84, 33);
  A.Button[asHot] = R(4, 35, 84, 64);
  A.Button[asPressed] = R(4, 66, 84, 95);
  A.Button[asFocused] = R(4, 97, 84, 126);
  A.ButtonFace[asNormal] = {0xFFACACAC, 0xFFF0F0F0, 0xFFE5E5E5, 1};
  A.ButtonFace[asHot] = {0xFF7EB4EA, 0xFFECF4FC, 0xFFDCECFC, 1};
  A.ButtonFace[asPressed] = {0xFF569DE5, 0xFFDAECFC, 0xFFC4E0FC, 1};
  A.ButtonFace[asFocused] = {0xFF3399FF, 0xFFF0F0F0, 0xFFE5E5E5, 1};
  A.HTrack = R(100, 4, 158, 15);
  A.VTrack = R(162, 4, 173, 62);
  A.TrackBar[0] = 4;
  A.TrackBar[1] = 7;
  A.TrackFace = {0xFFD6D6D6, 0xFFE7EAEA, 0xFFE7EAEA, 1};
  A.HThumb[asNormal] = R(100, 70, 108, 89);
  A.HThumb[asHot] = R(112, 70, 120, 89);
  A.HThumb[asPressed] = R(124, 70, 132, 89);
  A.HThumb[asFocused] = R(136, 70, 147, 91);
  A.VThumb[asNormal] = R(100, 96, 119, 104);
  A.VThumb[asHot] = R(100, 108, 119, 116);
  A.VThumb[asPressed] = R(100, 120, 119, 128);
  A.VThumb[asFocused] = R(124, 96, 145, 107);
  A.ThumbFace[asNormal] = {0xFFACACAC, 0xFFE7EAEA, 0xFFE7EAEA, 1};
  A.ThumbFace[asHot] = {0xFF7EB4EA, 0xFFDCECFC, 0xFFDCECFC, 1};
  A.ThumbFace[asPressed] = {0xFF569DE5, 0xFFC4E0FC, 0xFFC4E0FC, 1};
  A.ThumbFace[asFocused] = {0xFF3399FF, 0xFFE7EAEA, 0xFFE7EAEA, 1};
  return A;
}

TStyleArt Win7() {
  TStyleArt A;
  A.Name = "win7";
  A.ImageName = "Windows 7style.png";
  A.Width = 200;
  A.Height = 140;
  A.Button[asNormal] = R(4, 4, 84, 27);
  A.Button[asHot] = R(4, 29, 84, 52);
  A.Button[asPressed] = R(4, 54, 84, 77);
  A.Button[asFocused] = R(4, 79, 84, 102);
  A.ButtonFace[asNormal] = {0xFF707070, 0xFFF2F2F2, 0xFFCFCFCF, 1};
  A.ButtonFace[asHot] = {0xFF3C7FB1, 0xFFEAF6FD, 0xFFA7D9F5, 1};
  A.ButtonFace[asPressed] = {0xFF2C628B, 0xFFE5F4FC, 0xFF68B3DB, 1};
  A.ButtonFace[asFocused] = {0xFF3399FF, 0xFFF2F2F2, 0xFFCFCFCF, 1};
  A.HTrack = R(100, 4, 158, 19);
  A.VTrack = R(162, 4, 177, 62);
  A.TrackBar[0] = 6;
  A.TrackBar[1] = 9;
  A.TrackFace = {0xFF9C9C9C, 0xFFE7EAEA, 0xFFE7EAEA, 1};
  A.HThumb[asNormal] = R(100, 70, 109, 90);
  A.HThumb[asHot] = R(113, 70, 122, 90);
  A.HThumb[asPressed] = R(126, 70, 135, 90);
  A.HThumb[asFocused] = R(139, 70, 150, 92);
  A.VThumb[asNormal] = R(100, 96, 120, 105);
  A.VThumb[asHot] = R(100, 108, 120, 117);
  A.VThumb[asPressed] = R(100, 120, 120, 129);
  A.VThumb[asFocused] = R(124, 96, 146, 107);
  A.ThumbFace[asNormal] = {0xFF707070, 0xFFF2F2F2, 0xFFCFCFCF, 1};
  A.ThumbFace[asHot] = {0xFF3C7FB1, 0xFFEAF6FD, 0xFFA7D9F5, 1};
  A.ThumbFace[asPressed] = {0xFF2C628B, 0xFFE5F4FC, 0xFF68B3DB, 1};
  A.ThumbFace[asFocused] = {0xFF3399FF, 0xFFF2F2F2, 0xFFCFCFCF, 1};
  return A;
}

TRectF ToRectF(const TArtRect& R) {
  return {static_cast<float>(R.Left), static_cast<float>(R.Top), static_cast<float>(R.Right),
          static_cast<float>(R.Bottom)};
}

void Fill(TCanvas& C, const TArtRect& R, TAlphaColor Top, TAlphaColor Bottom) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  TBrush B(TBrushKind::Solid, Top);
  if (Top != Bottom) {
    B.SetKind(TBrushKind::Gradient);
    B.Gradient()->SetColor(Top);
    B.Gradient()->SetColor1(Bottom);
  }
  C.FillRect(ToRectF(R), 0, 0, {}, 1, B);
}

// The face in R: the border as a frame, the gradient inside it.
void DrawFace(TCanvas& C, const TArtRect& R, const TArtFace& Face, float S) {
  const int W = ScaleArtLength(Face.BorderWidth, S);
  Fill(C, R, Face.Border, Face.Border);
  Fill(C, TArtRect{R.Left + W, R.Top + W, R.Right - W, R.Bottom - W}, Face.Top, Face.Bottom);
}
}  // namespace

const std::vector<TStyleArt>& StyleArts() {
  static const std::vector<TStyleArt> Arts = {Win10(), Win8(), Win7()};
  return Arts;
}

const TStyleArt* FindStyleArt(const std::string& Name) {
  for (const TStyleArt& A : StyleArts())
    if (A.Name == Name) return &A;
  return nullptr;
}

TArtRect ScaleArtRect(const TArtRect& R, float S) {
  auto Sc = [S](int V) { return static_cast<int>(std::nearbyint(V * S)); };
  return {Sc(R.Left), Sc(R.Top), Sc(R.Right), Sc(R.Bottom)};
}

int ScaleArtLength(int L, float S) {
  if (L == 0) return 0;
  return std::max(1, static_cast<int>(std::nearbyint(L * S)));
}

std::unique_ptr<TBitmap> DrawStyleImage(const TStyleArt& Art, float Scale) {
  auto Bmp = std::make_unique<TBitmap>(ScaleArtLength(Art.Width, Scale), ScaleArtLength(Art.Height, Scale));
  Bmp->Clear(0);
  TCanvas& C = *Bmp->Canvas();
  if (TCanvasScene Scene(C); Scene) {
    for (int S = asNormal; S <= asFocused; ++S) {
      DrawFace(C, ScaleArtRect(Art.Button[S], Scale), Art.ButtonFace[S], Scale);
      DrawFace(C, ScaleArtRect(Art.HThumb[S], Scale), Art.ThumbFace[S], Scale);
      DrawFace(C, ScaleArtRect(Art.VThumb[S], Scale), Art.ThumbFace[S], Scale);
    }
    // The tracks: a groove across the middle of each, the rest transparent.
    const TArtRect H = ScaleArtRect(Art.HTrack, Scale);
    const int From = static_cast<int>(std::nearbyint(Art.TrackBar[0] * Scale));
    const int To = static_cast<int>(std::nearbyint(Art.TrackBar[1] * Scale));
    DrawFace(C, TArtRect{H.Left, H.Top + From, H.Right, H.Top + To}, Art.TrackFace, Scale);
    const TArtRect V = ScaleArtRect(Art.VTrack, Scale);
    DrawFace(C, TArtRect{V.Left + From, V.Top, V.Left + To, V.Bottom}, Art.TrackFace, Scale);
  }
  return Bmp;
}

std::unique_ptr<TBitmap> DrawRingsImage(float Scale) {
  const int Size = ScaleArtLength(32, Scale);
  auto Bmp = std::make_unique<TBitmap>(Size, Size);
  Bmp->Clear(0);
  TCanvas& C = *Bmp->Canvas();
  if (TCanvasScene Scene(C); Scene) {
    const float Centre = Size / 2.0f, Radius = 11 * Scale, Dot = 3 * Scale;
    for (int I = 0; I < 8; ++I) {
      const double A = I * 3.14159265358979 / 4;
      const float X = Centre + Radius * static_cast<float>(std::cos(A));
      const float Y = Centre + Radius * static_cast<float>(std::sin(A));
      TBrush B(TBrushKind::Solid, (static_cast<TAlphaColor>(0x30 + I * 0x1A) << 24));
      C.FillRect(TRectF(X - Dot, Y - Dot, X + Dot, Y + Dot), Dot, Dot, AllCorners, 1, B);
    }
  }
  return Bmp;
}
