#pragma once
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Math3D.h"
#include "scene3d/Position3D.h"
#include "scene3d/context/Context3D.h"
#include "shell/core/TreeObject.h"

class TCamera;
class TControl3D;
class TLight;
class TMaterial;

/// What a 3D object sees of the viewport that draws it.
class KELVANE_API IViewport3D {
 public:
  virtual ~IViewport3D() = default;
  virtual TContext3D* GetContext() const = 0;
  virtual TCamera* GetCurrentCamera() const = 0;
  virtual bool GetUsingDesignCamera() const = 0;
  virtual TCamera* GetCamera() const = 0;
  virtual void SetCamera(TCamera* Value) = 0;
  virtual float GetViewportScale() const = 0;
  virtual int GetLightCount() const = 0;
  virtual TLight* GetLight(int Index) const = 0;
  virtual void AddLight(TLight* Light) = 0;
  virtual void RemoveLight(TLight* Light) = 0;
  /// Marks the viewport's area for repainting; nothing is drawn at once.
  virtual void NeedRender() = 0;
};

enum class TProjection { Camera, Screen };
KELVANE_API const TTypeInfo& ProjectionTypeInfo();

/// TControl3D: the base of every 3D object: position, rotation, scale and size, visibility and
/// opacity, its local and lazily computed absolute matrices, its children in drawing order,
/// and the steps by which it is drawn through a context.
class KELVANE_API TControl3D : public TTreeObject {
  KLV_CLASS(TControl3D)
 public:
  explicit TControl3D(TComponent* AOwner);
  ~TControl3D() override;

  TPosition3D* Position() const { return FPosition; }
  TPosition3D* RotationAngle() const { return FRotationAngle; }
  TPosition3D* Scale() const { return FScale; }
  TPosition3D* RotationCenter() const { return FRotationCenter; }
  void SetPosition(TPosition3D* Value) { FPosition->Assign(Value); }
  void SetRotationAngle(TPosition3D* Value) { FRotationAngle->Assign(Value); }
  void SetScale(TPosition3D* Value) { FScale->Assign(Value); }
  void SetRotationCenter(TPosition3D* Value) { FRotationCenter->Assign(Value); }

  float Width() const { return FWidth; }
  float Height() const { return FHeight; }
  float Depth() const { return FDepth; }
  virtual void SetWidth(float Value);
  virtual void SetHeight(float Value);
  virtual void SetDepth(float Value);
  bool Visible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  float Opacity() const { return FOpacity; }
  void SetOpacity(float Value);
  bool ZWrite() const { return FZWrite; }
  void SetZWrite(bool Value);
  bool TwoSide() const { return FTwoSide; }
  void SetTwoSide(bool Value);
  bool Opaque() const { return FOpaque; }
  void SetOpaque(bool Value);
  TProjection Projection() const { return FProjection; }
  virtual void SetProjection(TProjection Value);
  bool HitTest() const { return FHitTest; }
  void SetHitTest(bool Value) { FHitTest = Value; }
  bool ShowContextMenu() const { return FShowContextMenu; }
  /// A locked object is not changed by designers; objects the scene makes for itself are.
  bool Locked() const { return FLocked; }
  void SetLocked(bool Value) { FLocked = Value; }

  const TQuaternion3D& Quaternion() const { return FQuaternion; }
  /// Stores the quaternion directly, as a stored "Quanternion" does: no event, no rebuild.
  void SetQuaternion(const TQuaternion3D& Q) { FQuaternion = Q; }
  const TPoint3D& SavedRotationAngle() const { return FSavedRotationAngle; }
  const TMatrix3D& LocalMatrix() const { return FLocalMatrix; }

  virtual const TMatrix3D& GetAbsoluteMatrix();
  const TMatrix3D& AbsoluteMatrix() { return GetAbsoluteMatrix(); }
  const TMatrix3D& InvertAbsoluteMatrix();
  TVector3D AbsolutePosition() { return GetAbsoluteMatrix().Row(3); }
  TVector3D AbsoluteLeft() { return GetAbsoluteMatrix().Row(0); }
  TVector3D AbsoluteUp() { return GetAbsoluteMatrix().Row(1); }
  TVector3D AbsoluteDirection() { return GetAbsoluteMatrix().Row(2); }
  virtual TPoint3D LocalToAbsolute3D(const TPoint3D& P) { return P * GetAbsoluteMatrix(); }
  virtual TPoint3D AbsoluteToLocal3D(const TPoint3D& P) { return P * InvertAbsoluteMatrix(); }
  virtual TVector3D LocalToAbsoluteVector(const TVector3D& V) { return V * GetAbsoluteMatrix(); }
  virtual TVector3D AbsoluteToLocalVector(const TVector3D& V) { return V * InvertAbsoluteMatrix(); }
  virtual float GetAbsoluteOpacity();
  bool NeedsAbsoluteRecalc() const { return FRecalcAbsolute; }

  /// Marks the cached absolute matrices (opacities) of this object and its 3D subtree stale.
  virtual void RecalcAbsolute();
  virtual void RecalcOpacity();
  /// Asks the viewport to draw a new frame, unless invisible, detached, dying or updating.
  void Repaint();
  /// Sorts the object's own 3D children into drawing order.
  void RebuildRenderingList();
  const std::vector<TControl3D*>& RenderingList() const { return FRenderingList; }

  IViewport3D* Viewport() const { return FViewport; }
  virtual void SetNewViewport(IViewport3D* AViewport);
  TContext3D* Context() const { return FViewport ? FViewport->GetContext() : nullptr; }
  int Updating() const { return FUpdating; }
  virtual void BeginUpdate();
  virtual void EndUpdate();

  /// Draws the object and its visible children through the viewport's context.
  void RenderInternal();
  virtual TMaterial* GetMaterialForSorting() const { return nullptr; }

  void Loaded() override;
  void DefineProperties(TFiler& Filer) override;
  /// The text a stored "Quanternion" holds: "(X,Y,Z,W)", 15 significant digits.
  std::string QuaternionText() const;
  void ReadQuaternionText(const std::string& Text);

  TNotifyEvent OnRender;

 protected:
  void BeforeDestruction() override;
  void DoAddObject(TTreeObject* AObject) override;
  void DoInsertObject(int Index, TTreeObject* AObject) override;
  void DoRemoveObject(TTreeObject* AObject) override;

  virtual void BeforeRender() {}
  virtual void Render() {}
  virtual void RenderHelper();
  virtual void RenderChildren();
  virtual void Resize3D() {}
  /// Rebuilds the local matrix from scale, rotation and position.
  virtual void MatrixChanged();
  virtual void RotationChanged();
  virtual void RotateXChanged();
  virtual void RotateYChanged();
  virtual void RotateZChanged();

  void SetLocalMatrix(const TMatrix3D& M) { FLocalMatrix = M; }
  void ResetRotationState() {
    FSavedRotationAngle = TPoint3D();
    FQuaternion = TQuaternion3D::Identity();
  }

  float FWidth = 1, FHeight = 1, FDepth = 1;

 private:
  void MatrixChangedHandler(TObject*) { MatrixChanged(); }
  void RotationChangedHandler(TObject*) { RotationChanged(); }
  void RotateXChangedHandler(TObject*) { RotateXChanged(); }
  void RotateYChangedHandler(TObject*) { RotateYChanged(); }
  void RotateZChangedHandler(TObject*) { RotateZChanged(); }
  void RotateAxisChanged(int Axis);
  void ChildAdded(TTreeObject* AObject);

  TPosition3D* FPosition;
  TPosition3D* FRotationAngle;
  TPosition3D* FScale;
  TPosition3D* FRotationCenter;
  bool FVisible = true;
  float FOpacity = 1;
  bool FZWrite = true;
  bool FTwoSide = false;
  bool FOpaque = false;
  TProjection FProjection = TProjection::Camera;
  bool FHitTest = true;
  bool FShowContextMenu = true;
  bool FLocked = false;
  TQuaternion3D FQuaternion = TQuaternion3D::Identity();
  TPoint3D FSavedRotationAngle;
  TMatrix3D FLocalMatrix = TMatrix3D::Identity();
  TMatrix3D FAbsoluteMatrix = TMatrix3D::Identity();
  TMatrix3D FInvAbsoluteMatrix = TMatrix3D::Identity();
  bool FRecalcAbsolute = true;
  float FAbsoluteOpacity = 1;
  bool FRecalcOpacity = true;
  IViewport3D* FViewport = nullptr;
  int FUpdating = 0;
  std::vector<TControl3D*> FRenderingList;
};
