#include "scene3d/Control3D.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "scene3d/RenderingList.h"
#include "shell/core/Filer.h"

namespace {
// |A − B| ≤ Epsilon at extended precision.
bool Near(float A, float B, long double Epsilon) {
  return std::fabs(static_cast<long double>(A) - static_cast<long double>(B)) <= Epsilon;
}
constexpr long double cScaleEpsilon = 1e-4L;
constexpr long double cAngleEpsilon = 1e-4L;
constexpr long double cPositionEpsilon = 1e-3L;

std::string FloatText(float V) {
  char Buffer[64];
  std::snprintf(Buffer, sizeof Buffer, "%.15g", static_cast<double>(V));
  return Buffer;
}
}  // namespace

const TTypeInfo& ProjectionTypeInfo() {
  static const TTypeInfo T = MakeNamedType("TProjection", TTypeKind::Enumeration, {"Camera", "Screen"});
  return T;
}

const TMetaClass& TControl3D::StaticClass() {
  return ClassRecord<TControl3D>("TControl3D", &TTreeObject::StaticClass(), [](auto& B) {
    B.Property("Position", &TControl3D::Position, &TControl3D::SetPosition);
    B.Property("Scale", &TControl3D::Scale, &TControl3D::SetScale);
    B.Property("RotationAngle", &TControl3D::RotationAngle, &TControl3D::SetRotationAngle);
    B.Property("RotationCenter", &TControl3D::RotationCenter, &TControl3D::SetRotationCenter);
    B.Property("Width", &TControl3D::Width, &TControl3D::SetWidth).Default(1.0f);
    B.Property("Height", &TControl3D::Height, &TControl3D::SetHeight).Default(1.0f);
    B.Property("Depth", &TControl3D::Depth, &TControl3D::SetDepth).Default(1.0f);
    B.Property("Opacity", &TControl3D::Opacity, &TControl3D::SetOpacity).Default(1.0f);
    B.Property("Visible", &TControl3D::Visible, &TControl3D::SetVisible).Default(true);
    B.Property("ZWrite", &TControl3D::ZWrite, &TControl3D::SetZWrite).Default(true);
    B.Property("TwoSide", &TControl3D::TwoSide, &TControl3D::SetTwoSide).Default(false);
    B.Property("Opaque", &TControl3D::Opaque, &TControl3D::SetOpaque).Default(false);
    B.Property("Projection", &TControl3D::Projection, &TControl3D::SetProjection, &ProjectionTypeInfo())
        .Default(TProjection::Camera);
    B.Property("HitTest", &TControl3D::HitTest, &TControl3D::SetHitTest).Default(true);
    B.Property("Locked", &TControl3D::Locked, &TControl3D::SetLocked).Default(false);
    B.Property("OnRender", [](TControl3D& C) { return C.OnRender; },
               [](TControl3D& C, TNotifyEvent E) { C.OnRender = E; });
  });
}

TControl3D::TControl3D(TComponent* AOwner)
    : TTreeObject(AOwner),
      FPosition(new TPosition3D()),
      FRotationAngle(new TPosition3D()),
      FScale(new TPosition3D(TPoint3D(1, 1, 1))),
      FRotationCenter(new TPosition3D()) {
  FPosition->OnChange = TNotifyEvent(this, &TControl3D::MatrixChangedHandler);
  FScale->OnChange = TNotifyEvent(this, &TControl3D::MatrixChangedHandler);
  FRotationCenter->OnChange = TNotifyEvent(this, &TControl3D::MatrixChangedHandler);
  FRotationAngle->OnChange = TNotifyEvent(this, &TControl3D::RotationChangedHandler);
  FRotationAngle->OnChangeX = TNotifyEvent(this, &TControl3D::RotateXChangedHandler);
  FRotationAngle->OnChangeY = TNotifyEvent(this, &TControl3D::RotateYChangedHandler);
  FRotationAngle->OnChangeZ = TNotifyEvent(this, &TControl3D::RotateZChangedHandler);
}

TControl3D::~TControl3D() {
  delete FPosition;
  delete FRotationAngle;
  delete FScale;
  delete FRotationCenter;
}

void TControl3D::BeforeDestruction() {
  Destroying();
  TTreeObject::BeforeDestruction();
  FViewport = nullptr;
}

// --- geometry setters ---

void TControl3D::SetWidth(float Value) {
  if (FWidth == Value) return;
  FWidth = Value;
  Resize3D();
  if (!IsLoading()) Repaint();
}

void TControl3D::SetHeight(float Value) {
  if (FHeight == Value) return;
  FHeight = Value;
  Resize3D();
  if (!IsLoading()) Repaint();
}

void TControl3D::SetDepth(float Value) {
  if (FDepth == Value) return;
  FDepth = Value;
  Resize3D();
  if (!IsLoading()) Repaint();
}

void TControl3D::SetVisible(bool Value) {
  if (FVisible == Value) return;
  if (FVisible) Repaint();  // so that the viewport redraws without it
  FVisible = Value;
  if (FVisible) Repaint();
}

void TControl3D::SetOpacity(float Value) {
  if (FOpacity == Value) return;
  FOpacity = std::clamp(Value, 0.0f, 1.0f);
  RecalcOpacity();
  Repaint();
}

void TControl3D::SetZWrite(bool Value) {
  if (FZWrite == Value) return;
  FZWrite = Value;
  Repaint();
}

void TControl3D::SetTwoSide(bool Value) {
  if (FTwoSide == Value) return;
  FTwoSide = Value;
  Repaint();
}

void TControl3D::SetOpaque(bool Value) {
  if (FOpaque == Value) return;
  FOpaque = Value;
  Repaint();
}

void TControl3D::SetProjection(TProjection Value) {
  if (FProjection == Value) return;
  FProjection = Value;
  Repaint();
}

// --- matrices ---

void TControl3D::MatrixChanged() {
  TMatrix3D L = TMatrix3D::Identity();
  if (!(Near(FScale->X(), 1, cScaleEpsilon) && Near(FScale->Y(), 1, cScaleEpsilon) && Near(FScale->Z(), 1, cScaleEpsilon)))
    L = L * TMatrix3D::CreateScaling(FScale->Point());
  if (Near(FRotationAngle->X(), 0, cAngleEpsilon) && Near(FRotationAngle->Y(), 0, cAngleEpsilon) &&
      Near(FRotationAngle->Z(), 0, cAngleEpsilon)) {
    ResetRotationState();
  } else {
    const TMatrix3D Q = FQuaternion.ToMatrix();
    const TPoint3D C = FRotationCenter->Point();
    if (Near(C.X, 0, cPositionEpsilon) && Near(C.Y, 0, cPositionEpsilon) && Near(C.Z, 0, cPositionEpsilon))
      L = L * Q;
    else
      L = L * (TMatrix3D::CreateTranslation(-C) * Q * TMatrix3D::CreateTranslation(C));
  }
  const TPoint3D P = FPosition->Point();
  if (!(Near(P.X, 0, cPositionEpsilon) && Near(P.Y, 0, cPositionEpsilon) && Near(P.Z, 0, cPositionEpsilon)))
    L = L * TMatrix3D::CreateTranslation(P);
  FLocalMatrix = L;
  RecalcAbsolute();
  RebuildRenderingList();
  Repaint();
}

void TControl3D::RotateAxisChanged(int Axis) {
  const TPoint3D Angle = FRotationAngle->Point();
  const float Current = Axis == 0 ? Angle.X : Axis == 1 ? Angle.Y : Angle.Z;
  float& Saved = Axis == 0 ? FSavedRotationAngle.X : Axis == 1 ? FSavedRotationAngle.Y : FSavedRotationAngle.Z;
  const float D = WrapAngle(Current - Saved);
  if (D == 0) return;
  const TPoint3D AxisVector(Axis == 0 ? 1.0f : 0.0f, Axis == 1 ? 1.0f : 0.0f, Axis == 2 ? 1.0f : 0.0f);
  FQuaternion = FQuaternion * TQuaternion3D::Create(AxisVector, DegToRad(D));
  MatrixChanged();
  // The written value, which MatrixChanged of a layer may have reset to 0.
  const TPoint3D Written = FRotationAngle->Point();
  const float Value = Axis == 0 ? Written.X : Axis == 1 ? Written.Y : Written.Z;
  float& SavedAfter = Axis == 0 ? FSavedRotationAngle.X : Axis == 1 ? FSavedRotationAngle.Y : FSavedRotationAngle.Z;
  SavedAfter = Value;
  TPoint3D Wrapped = Written;
  (Axis == 0 ? Wrapped.X : Axis == 1 ? Wrapped.Y : Wrapped.Z) = WrapAngle(Value);
  FRotationAngle->SetPoint3DNoChange(Wrapped);
}

void TControl3D::RotateXChanged() { RotateAxisChanged(0); }
void TControl3D::RotateYChanged() { RotateAxisChanged(1); }
void TControl3D::RotateZChanged() { RotateAxisChanged(2); }

void TControl3D::RotationChanged() {
  const TPoint3D Written = FRotationAngle->Point();
  TPoint3D NewValue = Written;
  const float Components[3] = {Written.X, Written.Y, Written.Z};
  const float Saved[3] = {FSavedRotationAngle.X, FSavedRotationAngle.Y, FSavedRotationAngle.Z};
  float* Targets[3] = {&NewValue.X, &NewValue.Y, &NewValue.Z};
  bool Changed = false;
  for (int Axis = 0; Axis < 3; ++Axis) {
    const float D = WrapAngle(Components[Axis] - Saved[Axis]);
    if (D == 0) continue;
    const TPoint3D AxisVector(Axis == 0 ? 1.0f : 0.0f, Axis == 1 ? 1.0f : 0.0f, Axis == 2 ? 1.0f : 0.0f);
    FQuaternion = FQuaternion * TQuaternion3D::Create(AxisVector, DegToRad(D));
    *Targets[Axis] = WrapAngle(Components[Axis]);
    Changed = true;
  }
  if (!Changed) return;
  FSavedRotationAngle = Written;
  FRotationAngle->SetPoint3DNoChange(NewValue);
  MatrixChanged();
}

const TMatrix3D& TControl3D::GetAbsoluteMatrix() {
  if (!FRecalcAbsolute) return FAbsoluteMatrix;
  if (auto* ParentObject = dynamic_cast<TControl3D*>(Parent()))
    FAbsoluteMatrix = FLocalMatrix * ParentObject->GetAbsoluteMatrix();
  else
    FAbsoluteMatrix = FLocalMatrix;
  FInvAbsoluteMatrix = FAbsoluteMatrix.Inverse();
  FRecalcAbsolute = false;
  return FAbsoluteMatrix;
}

const TMatrix3D& TControl3D::InvertAbsoluteMatrix() {
  GetAbsoluteMatrix();
  return FInvAbsoluteMatrix;
}

void TControl3D::RecalcAbsolute() {
  FRecalcAbsolute = true;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) C->RecalcAbsolute();
}

float TControl3D::GetAbsoluteOpacity() {
  if (FRecalcOpacity) {
    if (auto* ParentObject = dynamic_cast<TControl3D*>(Parent()))
      FAbsoluteOpacity = FOpacity * ParentObject->GetAbsoluteOpacity();
    else
      FAbsoluteOpacity = FOpacity;
    FRecalcOpacity = false;
  }
  return FAbsoluteOpacity;
}

void TControl3D::RecalcOpacity() {
  FRecalcOpacity = true;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) C->RecalcOpacity();
}

// --- tree ---

void TControl3D::Repaint() {
  if (!FVisible || !FViewport || IsDestroying() || FUpdating > 0) return;
  FViewport->NeedRender();
}

void TControl3D::RebuildRenderingList() {
  if (FUpdating > 0) return;
  FRenderingList.clear();
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) FRenderingList.push_back(C);
  SortRenderingList(FRenderingList);
}

void TControl3D::SetNewViewport(IViewport3D* AViewport) {
  FViewport = AViewport;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) C->SetNewViewport(AViewport);
}

void TControl3D::BeginUpdate() {
  ++FUpdating;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) C->BeginUpdate();
}

void TControl3D::EndUpdate() {
  if (FUpdating <= 0) return;
  for (TTreeObject* Child : ChildList())
    if (auto* C = dynamic_cast<TControl3D*>(Child)) C->EndUpdate();
  if (--FUpdating == 0) {
    RebuildRenderingList();
    Repaint();
  }
}

void TControl3D::ChildAdded(TTreeObject* AObject) {
  if (auto* C = dynamic_cast<TControl3D*>(AObject)) {
    C->FUpdating = FUpdating;
    C->SetNewViewport(FViewport);
    C->RecalcOpacity();
    C->RecalcAbsolute();
    RebuildRenderingList();
  }
}

void TControl3D::DoAddObject(TTreeObject* AObject) {
  TTreeObject::DoAddObject(AObject);
  ChildAdded(AObject);
}

void TControl3D::DoInsertObject(int Index, TTreeObject* AObject) {
  TTreeObject::DoInsertObject(Index, AObject);
  ChildAdded(AObject);
}

void TControl3D::DoRemoveObject(TTreeObject* AObject) {
  auto* C = dynamic_cast<TControl3D*>(AObject);
  if (C) C->Repaint();  // so that the frame is drawn without it
  TTreeObject::DoRemoveObject(AObject);
  if (C) {
    C->SetNewViewport(nullptr);
    C->RecalcAbsolute();
    C->RecalcOpacity();
    // Inside an update bracket the order is kept, but no frame may reach a child that left.
    std::erase(FRenderingList, C);
    RebuildRenderingList();
  }
}

// --- drawing ---

void TControl3D::RenderInternal() {
  TContext3D* Ctx = Context();
  if (!Ctx) return;
  BeforeRender();
  Ctx->SetMatrix(GetAbsoluteMatrix());
  if (FZWrite) {
    Ctx->SetContextState(csZWriteOn);
    Ctx->SetContextState(csZTestOn);
  } else {
    Ctx->SetContextState(csZWriteOff);
    Ctx->SetContextState(csZTestOff);
  }
  Ctx->SetContextState(FProjection == TProjection::Screen ? cs2DScene : cs3DScene);
  Ctx->SetContextState(FTwoSide ? csAllFace : csFrontFace);
  Ctx->SetContextState(FOpaque ? csAlphaBlendOff : csAlphaBlendOn);
  Render();
  RenderHelper();
  RenderChildren();
}

void TControl3D::RenderHelper() {
  if (OnRender) OnRender(this);
}

void TControl3D::RenderChildren() {
  for (TControl3D* Child : FRenderingList)
    if (Child->Visible()) Child->RenderInternal();
}

// --- loading ---

void TControl3D::Loaded() {
  TTreeObject::Loaded();
  MatrixChanged();
}

std::string TControl3D::QuaternionText() const {
  std::string Text = "(";
  Text += FloatText(FQuaternion.ImagPart.X);
  Text += ',';
  Text += FloatText(FQuaternion.ImagPart.Y);
  Text += ',';
  Text += FloatText(FQuaternion.ImagPart.Z);
  Text += ',';
  Text += FloatText(FQuaternion.RealPart);
  Text += ')';
  return Text;
}

void TControl3D::ReadQuaternionText(const std::string& Text) {
  float V[4];
  const int Count = ParseFloatTuple(Text, V, 4);
  // Parts read before a faulty token stay; the rest keep their values.
  if (Count > 0) FQuaternion.ImagPart.X = V[0];
  if (Count > 1) FQuaternion.ImagPart.Y = V[1];
  if (Count > 2) FQuaternion.ImagPart.Z = V[2];
  if (Count > 3) FQuaternion.RealPart = V[3];
}

void TControl3D::DefineProperties(TFiler& Filer) {
  TTreeObject::DefineProperties(Filer);
  Filer.DefineProperty("ShowContextMenu", [this](IValueReader& R) { FShowContextMenu = R.ReadBoolean(); },
                       [this](IValueWriter& W) { W.WriteBoolean(FShowContextMenu); }, !FShowContextMenu);
  // The misspelling is the stored name of the property.
  Filer.DefineProperty("Quanternion", [this](IValueReader& R) { ReadQuaternionText(R.ReadString()); },
                       [this](IValueWriter& W) { W.WriteString(QuaternionText()); },
                       !(FQuaternion == TQuaternion3D::Identity()));
  Filer.DefineProperty("DesignVisible", [](IValueReader& R) { R.ReadBoolean(); }, nullptr, false);
}
