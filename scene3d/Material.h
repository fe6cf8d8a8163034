#pragma once
// Materials: what colour a drawn surface gets. A material binds its vertex and pixel programs
// and sets their variables when the context applies it.
#include <string>

#include "shell/core/Export.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Object.h"

class TContext3D;
class TContextShader;
class TTexture;

enum class TMaterialProperty { ModelViewProjection, ModelView, ModelViewInverseTranspose };

/// What colour a drawn surface gets: a material binds its vertex and pixel programs and sets their
/// variables when the context applies it.
class KELVANE_API TMaterial : public TObject {
 public:
  TMaterial() = default;
  ~TMaterial() override = default;
  TMaterial(const TMaterial&) = delete;
  TMaterial& operator=(const TMaterial&) = delete;

  bool Modified() const { return FModified; }
  /// Applies the programs and variables; the context sets the matrices the material names.
  void Apply(TContext3D& Context);
  void Reset(TContext3D& Context) { DoReset(Context); }
  /// The shader variable that receives a context matrix, or "" when none.
  std::string GetMaterialProperty(TMaterialProperty Property) const { return DoGetMaterialProperty(Property); }

  TNotifyEvent OnChange;

 protected:
  virtual void DoApply(TContext3D&) {}
  virtual void DoReset(TContext3D&) {}
  /// Marks the material modified and tells its listener.
  void DoChange();
  virtual std::string DoGetMaterialProperty(TMaterialProperty) const { return ""; }

 private:
  bool FModified = false;
};

/// A material with a vertex and a pixel program and a model-view-projection variable.
class KELVANE_API TCustomMaterial : public TMaterial {
 protected:
  std::string DoGetMaterialProperty(TMaterialProperty Property) const override;
};

/// Flat, unlit colour: every covered pixel gets Color × opacity.
class KELVANE_API TColorMaterial : public TCustomMaterial {
 public:
  TColorMaterial();
  /// Gives up its place among the programs' users.
  ~TColorMaterial() override;
  TAlphaColor Color() const { return FColor; }
  /// A different colour is stored, marks the material modified and fires OnChange.
  void SetColor(TAlphaColor Value);

 protected:
  void DoApply(TContext3D& Context) override;

 private:
  TAlphaColor FColor = TAlphaColors::Red;
  TContextShader* FVertexShader;
  TContextShader* FPixelShader;
};

/// A texture sampled at the vertices' first texture coordinate, times opacity.
class KELVANE_API TTextureMaterial : public TCustomMaterial {
 public:
  TTextureMaterial();
  ~TTextureMaterial() override;
  TTexture* Texture() const { return FTexture; }
  void SetTexture(TTexture* Value);

 protected:
  void DoApply(TContext3D& Context) override;

 private:
  TTexture* FTexture = nullptr;
  TContextShader* FVertexShader;
  TContextShader* FPixelShader;
  TContextShader* FPixelShaderFlipped;
};
