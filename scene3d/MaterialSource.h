#pragma once
// Material sources: components on the form that own a material and tell the shapes that use
// it when it changes.
#include <memory>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Material.h"
#include "shell/core/Component.h"

class TControl3D;

/// A component that owns a material and tells the shapes that use it when it changes; shapes name
/// it in MaterialSource.
class KELVANE_API TMaterialSource : public TComponent {
  KLV_CLASS(TMaterialSource)
 public:
  explicit TMaterialSource(TComponent* AOwner);
  ~TMaterialSource() override;

  TMaterial* Material() const { return FMaterial.get(); }
  /// The source's material, or none when Source is none.
  static TMaterial* ValidMaterial(const TMaterialSource* Source) { return Source ? Source->Material() : nullptr; }

  /// Shapes that repaint when the material changes.
  void AddChangeNotifier(TControl3D* Shape);
  void RemoveChangeNotifier(TControl3D* Shape);

 protected:
  /// Made once by the constructor of each concrete class.
  void SetMaterial(std::unique_ptr<TMaterial> Material);

 private:
  void MaterialChanged(TObject* Sender);

  std::unique_ptr<TMaterial> FMaterial;
  std::vector<TControl3D*> FNotifiers;
};

/// A material source of one unlit colour (Color).
class KELVANE_API TColorMaterialSource : public TMaterialSource {
  KLV_CLASS(TColorMaterialSource)
 public:
  explicit TColorMaterialSource(TComponent* AOwner);
  TAlphaColor Color() const;
  void SetColor(TAlphaColor Value);
};
