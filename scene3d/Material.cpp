#include "scene3d/Material.h"

#include "scene3d/context/Context3D.h"
#include "scene3d/context/Shader.h"

void TMaterial::Apply(TContext3D& Context) {
  DoApply(Context);
  FModified = false;
}

void TMaterial::DoChange() {
  FModified = true;
  if (OnChange) OnChange(this);
}

std::string TCustomMaterial::DoGetMaterialProperty(TMaterialProperty Property) const {
  return Property == TMaterialProperty::ModelViewProjection ? "MVPMatrix" : "";
}

TColorMaterial::TColorMaterial()
    : FVertexShader(TShaderManager::GetBuiltin("color.fvs")), FPixelShader(TShaderManager::GetBuiltin("color.fps")) {}

TColorMaterial::~TColorMaterial() {
  TShaderManager::UnregisterShader(FVertexShader);
  TShaderManager::UnregisterShader(FPixelShader);
}

void TColorMaterial::SetColor(TAlphaColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  DoChange();
}

void TColorMaterial::DoApply(TContext3D& Context) {
  Context.SetShaders(FVertexShader, FPixelShader);
  Context.SetShaderVariable("MaterialColor", FColor);
  Context.SetShaderVariable("Opacity", std::vector<TVector3D>{TVector3D(Context.CurrentOpacity(), 0, 0, 0)});
}

TTextureMaterial::TTextureMaterial()
    : FVertexShader(TShaderManager::GetBuiltin("texture.fvs")),
      FPixelShader(TShaderManager::GetBuiltin("texture.fps")),
      FPixelShaderFlipped(TShaderManager::GetBuiltin("texture_flip.fps")) {}

TTextureMaterial::~TTextureMaterial() {
  TShaderManager::UnregisterShader(FVertexShader);
  TShaderManager::UnregisterShader(FPixelShader);
  TShaderManager::UnregisterShader(FPixelShaderFlipped);
}

void TTextureMaterial::SetTexture(TTexture* Value) {
  if (FTexture == Value) return;
  FTexture = Value;
  DoChange();
}

void TTextureMaterial::DoApply(TContext3D& Context) {
  // Our back ends read render targets back top row first, so no target needs the flipped
  // sampling; the program stays registered for back ends that do.
  Context.SetShaders(FVertexShader, FPixelShader);
  Context.SetShaderVariable("texture0", FTexture);
  Context.SetShaderVariable("Opacity", std::vector<TVector3D>{TVector3D(Context.CurrentOpacity(), 0, 0, 0)});
}
