#pragma once
// Solids built from a mesh: TShape3D (a material source), TCustomMesh (owned mesh data drawn
// fitted to the object's box) and TCylinder (a unit cylinder about the Y axis).
#include "shell/core/Export.h"
#include "scene3d/Control3D.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/MeshData.h"

enum class TMeshWrapMode { Original, Fit, Stretch, Resize };
KELVANE_API const TTypeInfo& MeshWrapModeTypeInfo();

/// A 3D object drawn with a material, which it takes from its MaterialSource.
class KELVANE_API TShape3D : public TControl3D {
  KLV_CLASS(TShape3D)
 public:
  explicit TShape3D(TComponent* AOwner);

  TMaterialSource* MaterialSource() const { return FMaterialSource; }
  /// Moves the shape's change and free notifications to the new source; requests no repaint.
  void SetMaterialSource(TMaterialSource* Value);
  TMeshWrapMode WrapMode() const { return FWrapMode; }
  void SetWrapMode(TMeshWrapMode Value);
  TMaterial* GetMaterialForSorting() const override { return TMaterialSource::ValidMaterial(FMaterialSource); }

  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  void BeforeDestruction() override;

 private:
  TMaterialSource* FMaterialSource = nullptr;
  TMeshWrapMode FWrapMode = TMeshWrapMode::Stretch;
};

/// A shape drawn from mesh data of its own, fitted to the object's Width, Height and Depth.
class KELVANE_API TCustomMesh : public TShape3D {
  KLV_CLASS(TCustomMesh)
 public:
  explicit TCustomMesh(TComponent* AOwner);
  TMeshData& Data() { return FData; }
  /// Fits the mesh's bounding box to Width × Height × Depth about the object's origin.
  TMatrix3D GetMeshMatrix();

 protected:
  void Render() override;

 private:
  TMeshData FData;
};

/// A cylinder about the Y axis, filling the object's box; SubdivisionsAxes, SubdivisionsHeight and
/// SubdivisionsCap set its mesh.
class KELVANE_API TCylinder : public TCustomMesh {
  KLV_CLASS(TCylinder)
 public:
  explicit TCylinder(TComponent* AOwner);

  int SubdivisionsAxes() const { return FSubdivisionsAxes; }
  int SubdivisionsCap() const { return FSubdivisionsCap; }
  int SubdivisionsHeight() const { return FSubdivisionsHeight; }
  /// Each clamps (axes to at least 3, cap and height to at least 1) and rebuilds the mesh. A
  /// count whose mesh would hold more than MaxMeshVertices vertices is refused with
  /// EArgumentOutOfRangeException before anything is allocated, and the old mesh stays.
  void SetSubdivisionsAxes(int Value);
  void SetSubdivisionsCap(int Value);
  void SetSubdivisionsHeight(int Value);

  /// The largest mesh a cylinder builds: 1,048,576 vertices of 56 bytes (and fewer than six
  /// indices per vertex), about 84 MB in all, far beyond any shape worth drawing.
  static constexpr int64_t MaxMeshVertices = 1 << 20;
  /// Vertices and indices of the mesh of those (clamped) counts, computed without overflow for
  /// any int; a count too large for the limit gives a vertex count above MaxMeshVertices.
  static int64_t MeshVertexCount(int Axes, int Cap, int Height);
  static int64_t MeshIndexCount(int Axes, int Cap, int Height);

  /// Fills Data with a unit cylinder (Y from −0.5 to 0.5, diameter 1) of those counts; raises
  /// as the setters do when the mesh would be too large.
  static void RebuildMesh(TMeshData& Data, int Axes, int Cap, int Height);

 private:
  int FSubdivisionsAxes = 12;
  int FSubdivisionsCap = 1;
  int FSubdivisionsHeight = 1;

  void SetCounts(int Axes, int Cap, int Height);
};
