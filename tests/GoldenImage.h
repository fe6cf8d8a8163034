#pragma once
// Whole frames against stored pictures. Rasterisers may differ along the edges of shapes, where
// multisampling and anti-aliasing mix colours, so a pixel may differ only where the stored
// picture has an edge (a neighbour that differs from it by more than a quarter of the range);
// everywhere else the frame must match within 2 levels. KELVANE_UPDATE_GOLDEN=1 rewrites the
// pictures instead of comparing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "shell/canvas/Bitmap.h"

namespace golden {

inline int Distance(TAlphaColor A, TAlphaColor B) {
  int D = 0;
  for (int Shift = 0; Shift < 32; Shift += 8)
    D = std::max(D, std::abs(static_cast<int>((A >> Shift) & 0xFF) - static_cast<int>((B >> Shift) & 0xFF)));
  return D;
}

inline bool OnEdge(TBitmap& B, int X, int Y) {
  const TAlphaColor C = B.Pixel(X, Y);
  for (int DY = -1; DY <= 1; ++DY)
    for (int DX = -1; DX <= 1; ++DX) {
      const int NX = X + DX, NY = Y + DY;
      if (NX < 0 || NY < 0 || NX >= B.Width() || NY >= B.Height()) continue;
      if (Distance(B.Pixel(NX, NY), C) > 64) return true;
    }
  return false;
}

// Compares Frame with the PNG file at Path (or rewrites it, see above).
inline void ExpectMatchesGolden(TBitmap& Frame, const std::string& Path) {
  if (std::getenv("KELVANE_UPDATE_GOLDEN")) {
    Frame.SaveToFile(Path);
    return;
  }
  TBitmap Golden;
  Golden.LoadFromFile(Path);
  ASSERT_EQ(Golden.Width(), Frame.Width()) << Path;
  ASSERT_EQ(Golden.Height(), Frame.Height()) << Path;
  int Mismatches = 0, EdgeDifferences = 0;
  for (int Y = 0; Y < Frame.Height(); ++Y)
    for (int X = 0; X < Frame.Width(); ++X) {
      const TAlphaColor G = Golden.Pixel(X, Y);
      if (Distance(Frame.Pixel(X, Y), G) <= 2) continue;
      if (OnEdge(Golden, X, Y))
        ++EdgeDifferences;
      else if (++Mismatches <= 5)
        ADD_FAILURE() << Path << ": pixel (" << X << ", " << Y << ") differs away from any edge";
    }
  EXPECT_EQ(Mismatches, 0) << Path;
  // Edges are a small part of any frame; a shifted shape would differ along far more.
  EXPECT_LT(EdgeDifferences, Frame.Width() * Frame.Height() / 100) << Path;
}

}  // namespace golden
