#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "scene3d/Math3D.h"
#include "scene3d/context/Buffers.h"
#include "shell/core/AlphaColor.h"
#include "shell/core/Exceptions.h"
#include "shell/core/Object.h"

class TBitmap;
class TFrameRecord;
class TTexture;
class TMaterial;
class TColorMaterial;
class TContextShader;

/// The process's 3D device could not be made although the device choice had found it usable.
class KELVANE_API ECannotCreateD3DDevice : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "ECannotCreateD3DDevice"; }
};

enum TContextState {
  cs2DScene, cs3DScene,
  csZTestOn, csZTestOff,
  csZWriteOn, csZWriteOff,
  csAlphaBlendOn, csAlphaBlendOff,
  csStencilOn, csStencilOff,
  csColorWriteOn, csColorWriteOff,
  csScissorOn, csScissorOff,
  csFrontFace, csBackFace, csAllFace
};

enum class TMultisample { None, TwoSamples, FourSamples };
enum class TClearTarget { Color, Depth, Stencil };
using TClearTargets = TSet<TClearTarget>;

enum class TLightType { Directional, Point, Spot };

/// One light as the context sees it in a frame.
struct KELVANE_API TLightDescription {
  bool Enabled = true;
  TAlphaColor Color = 0xFFFFFFFF;
  TLightType LightType = TLightType::Directional;
  float SpotCutOff = 180;
  float SpotExponent = 0;
  TPoint3D Position;
  TPoint3D Direction;
};

/// A value for a shader variable.
struct KELVANE_API TShaderValue {
  enum class TKind { Matrix, Vectors, Texture } Kind = TKind::Vectors;
  TMatrix3D Matrix;
  std::vector<TVector3D> Vectors;
  TTexture* Texture = nullptr;
};

/// A rectangle of target pixels, rows counted from the top; Right and Bottom are exclusive.
struct KELVANE_API TTargetRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;

  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool operator==(const TTargetRect&) const = default;
  /// The smallest rectangle holding both; an empty one adds nothing.
  static TTargetRect Union(const TTargetRect& A, const TTargetRect& B);
  /// Empty (all zero) when they do not overlap.
  static TTargetRect Intersect(const TTargetRect& A, const TTargetRect& B);
};

/// TContext3D: the drawing context through which every 3D object is drawn. This base holds
/// everything that does not depend on the device: the process-wide render-state flags with
/// their exclusive groups, the world, camera and projection matrices, the scene bracket under
/// the canvas lock, the lights and the default material. A back end (GL over EGL, or the null
/// context) supplies the device operations.
class KELVANE_API TContext3D {
 public:
  virtual ~TContext3D();
  TContext3D(const TContext3D&) = delete;
  TContext3D& operator=(const TContext3D&) = delete;

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  float Scale() const { return FScale; }
  TMultisample Multisample() const { return FMultisample; }
  bool DepthStencil() const { return FDepthStencil; }
  TTexture* Texture() const { return FTexture; }

  /// Scene bracket: takes the process-wide canvas lock; nests; a failed begin releases it.
  bool BeginScene();
  void EndScene();
  int BeginSceneCount() const { return FBeginSceneCount; }

  void Clear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil);

  const TMatrix3D& CurrentMatrix() const { return FCurrentMatrix; }
  void SetMatrix(const TMatrix3D& M) { FCurrentMatrix = M; }
  const TMatrix3D& CurrentCameraMatrix() const { return FCameraMatrix; }
  const TMatrix3D& CurrentCameraInvMatrix() const { return FCameraInvMatrix; }
  void SetCameraMatrix(const TMatrix3D& M);
  float CurrentAngleOfView() const { return FAngleOfView; }
  void SetCameraAngleOfView(float Degrees);
  /// The projection of the current angle of view, rebuilt at most once per scene.
  const TMatrix3D& GetProjectionMatrix();
  const TMatrix3D& GetInvProjectionMatrix();
  /// World × camera × projection of the object being drawn.
  TMatrix3D CurrentModelViewProjectionMatrix();
  float CurrentOpacity() const { return FCurrentOpacity; }

  /// Makes State current in its group; a request for the current state does nothing.
  void SetContextState(TContextState State);
  /// The process-wide flags, shared by every context.
  static bool IsStateCurrent(TContextState State);
  static void ResetContextStates();

  /// Draws an indexed triangle list with Material, or with the default material when none.
  void DrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices, TMaterial* Material, float Opacity);

  /// Binds the two programs; nothing happens when either is missing.
  void SetShaders(TContextShader* VertexShader, TContextShader* PixelShader);
  void SetShaderVariable(const std::string& Name, const TMatrix3D& Value);
  void SetShaderVariable(const std::string& Name, const std::vector<TVector3D>& Value);
  void SetShaderVariable(const std::string& Name, TAlphaColor Value);
  void SetShaderVariable(const std::string& Name, TTexture* Value);

  /// Copies the finished image, top row first, into Bitmap's pixels.
  void CopyToBitmap(TBitmap& Bitmap);
  /// Copies only Rect of the image into the same pixels of Bitmap; the rest of it is kept.
  void CopyToBitmap(TBitmap& Bitmap, const TTargetRect& Rect);

  /// A scene sends its clears and draws to the device when it ends, limited to the pixels that
  /// can differ from the scene before (TFrameRecord::Damage); the rest of the target keeps the
  /// last scene's pixels, which are those a whole repaint would give. Off, every scene repaints
  /// the whole target (the clears and draws reach the device the same way).
  bool RepaintDamageOnly() const { return FRepaintDamageOnly; }
  void SetRepaintDamageOnly(bool Value) { FRepaintDamageOnly = Value; }
  /// The part of the target the last scene repainted (and resolved): empty when nothing could
  /// differ, the whole target after a first scene.
  const TTargetRect& LastRepaint() const { return FLastRepaint; }
  /// The part of the target where the last scene can differ from the one before (the whole
  /// target after a first scene), whether or not only it was repainted.
  const TTargetRect& LastDamage() const { return FLastDamage; }
  /// The next scene repaints the whole target: what it holds is not known to be the last
  /// scene's (a scene cut short by an error).
  void ForgetLastFrame() { FLastFrameKept = false; }
  /// Whether the device keeps a texture's pixels itself, so that an image can reach it piece by
  /// piece (UpdateTexture) instead of from a bitmap of the whole image kept beside it.
  virtual bool HoldsTexturePixels() const { return false; }
  /// Writes Width × Height pixels into Texture's first level at (X, Y), now: Data holds their
  /// rows top first, Pitch bytes apart, B, G, R, A premultiplied. The device object is made
  /// when the texture has none that is current (its other pixels are then undefined); the
  /// other levels are made again before the texture is next drawn with. False, doing nothing,
  /// when the device does not hold texture pixels or the rectangle is not inside the texture.
  bool UpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data, int Pitch);

  std::vector<TLightDescription>& Lights() { return FLights; }
  TColorMaterial& DefaultMaterial();

  /// The class's device name and renderer description, for diagnostics.
  virtual std::string DeviceName() const = 0;

 protected:
  TContext3D(TTexture* Texture, int Width, int Height, float Scale, TMultisample Multisample, bool DepthStencil);
  /// A back end that renders into a smaller target than its texture's size says so here, before
  /// the first scene: the frame, the projection's aspect and the readback take this size.
  void SetTargetSize(int AWidth, int AHeight) {
    FWidth = AWidth;
    FHeight = AHeight;
  }

  virtual bool DoBeginScene() = 0;
  virtual void DoEndScene() = 0;
  virtual void DoClear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil) = 0;
  virtual void DoSetContextState(TContextState State) = 0;
  virtual void DoSetShaders(TContextShader* VertexShader, TContextShader* PixelShader) = 0;
  virtual void DoSetShaderVariable(const std::string& Name, const TShaderValue& Value) = 0;
  virtual void DoDrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices) = 0;
  /// Rect lies inside the target and is not empty.
  virtual void DoCopyToBitmap(TBitmap& Bitmap, const TTargetRect& Rect) = 0;
  /// The scene's clears and draws are about to reach the device; Repaint (inside the target,
  /// maybe empty, maybe whole) is the part they must change: the resolve at DoEndScene covers
  /// it, and a back end may keep them from any other pixel.
  virtual void DoBeginRepaint(const TTargetRect& /*Repaint*/) {}
  /// The rectangle lies inside the texture and is not empty.
  virtual void DoUpdateTexture(TTexture&, int /*X*/, int /*Y*/, int /*Width*/, int /*Height*/,
                               const uint8_t* /*Data*/, int /*Pitch*/) {}

 private:
  /// Whether the material's programs place vertices with the model-view-projection.
  bool ApplyMaterial(TMaterial& Material);
  void SendVariable(const std::string& Name, const TShaderValue& Value);
  /// Gives the recorded scene to the device, limited to its damage.
  void FinishScene();

  TTexture* FTexture;
  int FWidth, FHeight;
  float FScale;
  TMultisample FMultisample;
  bool FDepthStencil;
  int FBeginSceneCount = 0;
  TMatrix3D FCurrentMatrix = TMatrix3D::Identity();
  TMatrix3D FCameraMatrix = TMatrix3D::Identity();
  TMatrix3D FCameraInvMatrix = TMatrix3D::Identity();
  float FAngleOfView;
  TMatrix3D FProjection, FInvProjection;
  bool FProjectionStale = true;
  float FCurrentOpacity = 1;
  std::vector<TLightDescription> FLights;
  std::unique_ptr<TColorMaterial> FDefaultMaterial;
  /// The scene being recorded (while inside one) and the last one sent.
  std::unique_ptr<TFrameRecord> FRecord, FLastFrame;
  bool FLastFrameKept = false;
  bool FRepaintDamageOnly = true;
  TTargetRect FLastRepaint, FLastDamage;
};
