#include <gtest/gtest.h>

#include "scene3d/Dummy.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Cylinder.h"
#include "scene3d/RenderingList.h"

namespace {

class RenderingListTest : public ::testing::Test {
 protected:
  void SetUp() override { Owner = new TComponent(nullptr); }
  void TearDown() override { Owner->Free(); }
  std::vector<TControl3D*> Make(int Count) {
    std::vector<TControl3D*> L;
    for (int I = 0; I < Count; ++I) L.push_back(new TDummy(Owner));
    return L;
  }
  TComponent* Owner = nullptr;
};

TEST_F(RenderingListTest, EqualItemsComeOutInThePartitionsOrder) {
  struct TCase {
    int Count;
    std::vector<int> Order;
  };
  for (const TCase& C : {TCase{4, {2, 3, 0, 1}}, TCase{3, {2, 1, 0}}, TCase{2, {1, 0}}, TCase{1, {0}}}) {
    std::vector<TControl3D*> Items = Make(C.Count);
    std::vector<TControl3D*> List = Items;
    SortRenderingList(List);
    for (int I = 0; I < C.Count; ++I) EXPECT_EQ(List[static_cast<size_t>(I)], Items[static_cast<size_t>(C.Order[static_cast<size_t>(I)])]) << C.Count;
  }
}

TEST_F(RenderingListTest, TranslucentObjectsSortLastAndShapesWithoutMaterialFirst) {
  std::vector<TControl3D*> Items = Make(2);
  Items[0]->SetOpacity(0.5f);
  std::vector<TControl3D*> List = Items;
  SortRenderingList(List);
  EXPECT_EQ(List.back(), Items[0]);

  auto* Source = new TColorMaterialSource(Owner);
  auto* WithMaterial = new TCylinder(Owner);
  WithMaterial->SetMaterialSource(Source);
  auto* Without = new TCylinder(Owner);
  EXPECT_EQ(TRenderingCompare::Compare(Without, WithMaterial), -1);
  EXPECT_EQ(TRenderingCompare::Compare(WithMaterial, Without), 1);
}

TEST_F(RenderingListTest, ObjectsWithoutDepthWritesOrContextCompareEqual) {
  std::vector<TControl3D*> Items = Make(2);
  Items[0]->SetZWrite(false);
  Items[1]->SetOpacity(0.5f);
  EXPECT_EQ(TRenderingCompare::Compare(Items[0], Items[1]), 0);
  Items[0]->SetZWrite(true);
  Items[1]->SetOpacity(1);
  Items[0]->Position()->SetZ(100);
  EXPECT_EQ(TRenderingCompare::Compare(Items[0], Items[1]), 0);  // no context: no distances
}

}  // namespace
