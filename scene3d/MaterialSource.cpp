#include "scene3d/MaterialSource.h"

#include <algorithm>

#include "scene3d/Control3D.h"

const TMetaClass& TMaterialSource::StaticClass() {
  return ClassRecord<TMaterialSource>("TMaterialSource", &TComponent::StaticClass(), [](auto&) {});
}

const TMetaClass& TColorMaterialSource::StaticClass() {
  return ClassRecord<TColorMaterialSource>("TColorMaterialSource", &TMaterialSource::StaticClass(), [](auto& B) {
    B.Creatable();
    // Always stored: the colour of a source is the reason it exists.
    B.Property("Color", &TColorMaterialSource::Color, &TColorMaterialSource::SetColor, &TypeInfos::AlphaColor());
  });
}

TMaterialSource::TMaterialSource(TComponent* AOwner) : TComponent(AOwner) {}

TMaterialSource::~TMaterialSource() = default;

void TMaterialSource::SetMaterial(std::unique_ptr<TMaterial> Material) {
  FMaterial = std::move(Material);
  FMaterial->OnChange = TNotifyEvent(this, &TMaterialSource::MaterialChanged);
}

void TMaterialSource::AddChangeNotifier(TControl3D* Shape) {
  if (std::find(FNotifiers.begin(), FNotifiers.end(), Shape) == FNotifiers.end()) FNotifiers.push_back(Shape);
}

void TMaterialSource::RemoveChangeNotifier(TControl3D* Shape) {
  FNotifiers.erase(std::remove(FNotifiers.begin(), FNotifiers.end(), Shape), FNotifiers.end());
}

void TMaterialSource::MaterialChanged(TObject*) {
  for (TControl3D* Shape : FNotifiers) Shape->Repaint();
}

TColorMaterialSource::TColorMaterialSource(TComponent* AOwner) : TMaterialSource(AOwner) {
  SetMaterial(std::make_unique<TColorMaterial>());
}

TAlphaColor TColorMaterialSource::Color() const { return static_cast<TColorMaterial*>(Material())->Color(); }

void TColorMaterialSource::SetColor(TAlphaColor Value) { static_cast<TColorMaterial*>(Material())->SetColor(Value); }
