// Materials share the registered programs: each material is one of their users while it lives,
// so a material made for every frame (a layer's texture material) leaves the counts as it
// found them, and the programs stay registered for the life of the process.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene3d/Material.h"
#include "scene3d/context/Shader.h"

namespace {

// The registered program of that name, or null.
TContextShader* Registered(const std::string& Name) {
  for (TContextShader* S : TShaderManager::Shaders())
    if (S->Name() == Name) return S;
  return nullptr;
}

TEST(MaterialPrograms, AMaterialIsAUserOfItsProgramsOnlyWhileItLives) {
  struct TCase {
    const char* Material;
    std::function<std::unique_ptr<TMaterial>()> Make;
    std::vector<std::string> Programs;
  };
  for (const TCase& C : {TCase{"colour", [] { return std::make_unique<TColorMaterial>(); }, {"color.fvs", "color.fps"}},
                         TCase{"texture", [] { return std::make_unique<TTextureMaterial>(); },
                               {"texture.fvs", "texture.fps", "texture_flip.fps"}}}) {
    std::unique_ptr<TMaterial> Kept = C.Make();
    std::vector<TContextShader*> Programs;
    std::vector<int> Before;
    for (const std::string& Name : C.Programs) {
      Programs.push_back(Registered(Name));
      ASSERT_NE(Programs.back(), nullptr) << Name;
      Before.push_back(TShaderManager::Users(Programs.back()));
    }
    // As a frame makes and frees one.
    for (int Frame = 0; Frame < 3; ++Frame) {
      const std::unique_ptr<TMaterial> Made = C.Make();
      for (size_t I = 0; I < Programs.size(); ++I)
        EXPECT_EQ(TShaderManager::Users(Programs[I]), Before[I] + 1) << C.Material << " " << C.Programs[I];
    }
    for (size_t I = 0; I < Programs.size(); ++I)
      EXPECT_EQ(TShaderManager::Users(Programs[I]), Before[I]) << C.Material << " " << C.Programs[I];
    Kept.reset();
    for (size_t I = 0; I < Programs.size(); ++I) {
      EXPECT_EQ(TShaderManager::Users(Programs[I]), Before[I] - 1) << C.Material << " " << C.Programs[I];
      EXPECT_EQ(Registered(C.Programs[I]), Programs[I]) << "still registered, the same program";
    }
  }
}

}  // namespace
