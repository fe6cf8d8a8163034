#pragma once
// Helpers shared by the canvas tests: a bitmap with its canvas, pixel channels, a gradient's
// stops set at once, and a check of whether another thread could take the canvas lock right now.
#include <cstdlib>
#include <memory>
#include <thread>

#include "shell/canvas/Bitmap.h"
#include "shell/canvas/CanvasManager.h"
#include "shell/canvas/Gradient.h"

namespace canvastest {

inline int A(TAlphaColor C) { return static_cast<int>(C >> 24); }
inline int R(TAlphaColor C) { return static_cast<int>((C >> 16) & 0xFF); }
inline int G(TAlphaColor C) { return static_cast<int>((C >> 8) & 0xFF); }
inline int B(TAlphaColor C) { return static_cast<int>(C & 0xFF); }

// The largest difference of one channel between two colours.
inline int ChannelDistance(TAlphaColor X, TAlphaColor Y) {
  int D = 0;
  for (int Shift = 0; Shift < 32; Shift += 8)
    D = std::max(D, std::abs(static_cast<int>((X >> Shift) & 0xFF) - static_cast<int>((Y >> Shift) & 0xFF)));
  return D;
}

// Replaces G's stops by Stops, with one change notification.
inline void SetPoints(TGradient& G, std::initializer_list<TGradientStop> Stops) {
  G.Points()->BeginUpdate();
  G.Points()->Clear();
  for (const TGradientStop& S : Stops) {
    TGradientPoint* P = G.Points()->AddPoint();
    P->SetColor(S.Color);
    P->SetOffset(S.Offset);
  }
  G.Points()->EndUpdate();
}

// The lock is free when a thread other than this one can take it.
inline bool LockFreeForOtherThreads() {
  bool Free = false;
  std::thread T([&] {
    Free = TCanvas::TryLock();
    if (Free) TCanvas::Unlock();
  });
  T.join();
  return Free;
}

// A bitmap of W × H transparent pixels and a canvas drawing into it.
struct TTarget {
  TBitmap Bitmap;
  std::unique_ptr<TCanvas> Canvas;
  TTarget(int W, int H, float Scale = 1) : Bitmap(W, H) {
    Bitmap.SetBitmapScale(Scale);
    Canvas = TCanvasManager::CreateFromBitmap(Bitmap);
  }
  TAlphaColor At(int X, int Y) { return Bitmap.Pixel(X, Y); }
};

}  // namespace canvastest
