#pragma once
// TGLContext: a drawing context on the process's OpenGL device. It renders into a framebuffer
// object of its texture's size — a multisampled colour target with a 24-bit depth / 8-bit
// stencil buffer, resolved into the texture at the end of each scene, or the texture itself
// when one sample is used — and reads the resolved image back into bitmaps.
#include <cstdint>
#include <string>

#include "scene3d/context/Context3D.h"

class TGLDevice;
struct TRenderTarget;

class TGLContext : public TContext3D {
 public:
  // Gives the texture its device object and builds the target buffers. When the device
  // cannot hold them at the texture's size and sample count, the context renders with fewer
  // samples, then into a smaller target of the same shape (ChooseRenderTarget), and its Width
  // and Height are that target's. A texture with a zero side gives a context whose BeginScene
  // fails; a texture for which not even the smallest target can be made raises
  // EInvalidOperation. TContextManager makes the device and calls this.
  TGLContext(TGLDevice& ADevice, TTexture* ATexture, TMultisample AMultisample, bool ADepthStencil);
  ~TGLContext() override;

  static const char* ClassName() { return "TGLContext"; }
  std::string DeviceName() const override;
  // Samples per pixel actually rendered with.
  int SampleCount() const { return FSamples; }
  bool HoldsTexturePixels() const override { return true; }

 protected:
  bool DoBeginScene() override;
  void DoEndScene() override;
  void DoClear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil) override;
  void DoSetContextState(TContextState State) override;
  void DoSetShaders(TContextShader* VertexShader, TContextShader* PixelShader) override;
  void DoSetShaderVariable(const std::string& Name, const TShaderValue& Value) override;
  void DoDrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices) override;
  void DoCopyToBitmap(TBitmap& Bitmap, const TTargetRect& Rect) override;
  void DoBeginRepaint(const TTargetRect& Repaint) override;
  void DoUpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data,
                       int Pitch) override;

 private:
  // Builds the buffers of Target; false, with nothing left behind, when the device refuses.
  bool MakeBuffers(const TRenderTarget& Target, bool DepthStencil);
  void FreeBuffers();

  TGLDevice& FDevice;
  int FSamples = 1;
  // The framebuffer drawn into, and the one holding the texture (the same when one sample).
  unsigned FDrawFramebuffer = 0;
  unsigned FTextureFramebuffer = 0;
  unsigned FColorBuffer = 0;
  unsigned FDepthBuffer = 0;
  // What was bound before the scene, restored at its end.
  int FSavedDrawFramebuffer = 0;
  int FSavedReadFramebuffer = 0;
  int FSavedViewport[4] = {};
  // The value every stencil sample holds: draws never write the stencil (no stencil operation
  // but "keep" is ever set) and clears reach the whole target, so it changes only when a clear
  // names the stencil. A clear of the depth alone then clears the stencil to this same value,
  // which the software device does with a plain fill instead of keeping each stencil byte.
  uint32_t FStencilValue = 0;
};
