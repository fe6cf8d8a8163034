#include "scene3d/RenderingList.h"

#include <cmath>
#include <functional>

#include "scene3d/Control3D.h"

namespace {
float Distance(const TVector3D& A, const TPoint3D& P) {
  const float DX = A.X - P.X, DY = A.Y - P.Y, DZ = A.Z - P.Z;
  // The sum of squares is kept in single precision before its root.
  const float Sum = DX * DX + DY * DY + DZ * DZ;
  return std::sqrt(Sum);
}

void QuickSort(std::vector<TControl3D*>& List, int Lo, int Hi) {
  if (Hi - Lo <= 0) return;
  int I, J;
  do {
    I = Lo;
    J = Hi;
    TControl3D* Pivot = List[static_cast<size_t>(Lo + (Hi - Lo) / 2)];
    do {
      while (TRenderingCompare::Compare(List[static_cast<size_t>(I)], Pivot) < 0) ++I;
      while (TRenderingCompare::Compare(List[static_cast<size_t>(J)], Pivot) > 0) --J;
      if (I <= J) {
        if (I != J) std::swap(List[static_cast<size_t>(I)], List[static_cast<size_t>(J)]);
        ++I;
        --J;
      }
    } while (I <= J);
    if (Lo < J) QuickSort(List, Lo, J);
    Lo = I;
  } while (I < Hi);
}
}  // namespace

int TRenderingCompare::Compare(TControl3D* L, TControl3D* R) {
  TMaterial* ML = L->GetMaterialForSorting();
  TMaterial* MR = R->GetMaterialForSorting();
  if (ML != MR) return std::less<TMaterial*>()(ML, MR) ? -1 : 1;
  if (!L->ZWrite() || !R->ZWrite()) return 0;
  const bool LTranslucent = L->Opacity() < 1, RTranslucent = R->Opacity() < 1;
  if (LTranslucent && !RTranslucent) return 1;
  if (RTranslucent && !LTranslucent) return -1;
  TContext3D* CL = L->Context();
  TContext3D* CR = R->Context();
  if (!CL || !CR) return 0;
  const TMatrix3D& Camera = CL->CurrentCameraMatrix();
  const TPoint3D P(Camera.m41, Camera.m42, Camera.m43);
  const float DL = Distance(L->AbsolutePosition(), P);
  const float DR = Distance(R->AbsolutePosition(), P);
  const bool NL = std::isnan(DL), NR = std::isnan(DR);
  if (NL && NR) return 0;
  if (NR) return 1;
  if (NL) return -1;
  const long double Diff = std::trunc(static_cast<long double>(DR) - DL);
  if (Diff > 0) return Diff >= 1 ? 1 : 0;  // only the sign matters to the sort
  return Diff <= -1 ? -1 : 0;
}

void SortRenderingList(std::vector<TControl3D*>& List) { QuickSort(List, 0, static_cast<int>(List.size()) - 1); }
