#include "scene3d/context/GLContext.h"

#include <algorithm>
#include <optional>
#include <string>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "scene3d/context/GLDevice.h"
#include "scene3d/context/RenderTarget.h"
#include "scene3d/context/Texture.h"
#include "scene3d/context/detail/GLHeaders.h"
#include "shell/canvas/Bitmap.h"

namespace {
// Whether every pixel of a row has alpha 255: a frame over an opaque background mostly does,
// and then the pixels need no change and the bitmap can be known opaque. Read only, four
// pixels at a time where the processor can.
bool RowIsOpaque(const uint32_t* Row, int Count) {
  int I = 0;
  uint32_t All = 0xFFFFFFFFu;
#if defined(__SSE2__)
  __m128i A0 = _mm_set1_epi32(-1), A1 = A0;
  for (; I + 8 <= Count; I += 8) {
    A0 = _mm_and_si128(A0, _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + I)));
    A1 = _mm_and_si128(A1, _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + I + 4)));
  }
  alignas(16) uint32_t Lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(Lanes), _mm_and_si128(A0, A1));
  All = Lanes[0] & Lanes[1] & Lanes[2] & Lanes[3];
#endif
  for (; I < Count; ++I) All &= Row[I];
  return (All >> 24) == 0xFF;
}

// The target holds what the blend equation left: colour that the "over" operator treats as
// premultiplied. A pixel whose colour exceeds its alpha (the default material's doubled
// opacity on a transparent background can leave one) is not a valid premultiplied value, so
// each channel is limited to the alpha to keep the bitmap's contract. The rows come back in
// the bitmap's own order, B, G, R, A.
void LimitToAlpha(uint32_t* Row, int Count) {
  int I = 0;
#if defined(__SSE2__)
  // Each colour byte against its pixel's alpha, the alpha byte against 255 (itself).
  const __m128i AlphaByte = _mm_set1_epi32(static_cast<int>(0xFF000000u));
  for (; I + 4 <= Count; I += 4) {
    const __m128i P = _mm_loadu_si128(reinterpret_cast<const __m128i*>(Row + I));
    const __m128i A = _mm_srli_epi32(P, 24);
    const __m128i Limit = _mm_or_si128(_mm_or_si128(A, _mm_slli_epi32(A, 8)), _mm_or_si128(_mm_slli_epi32(A, 16), AlphaByte));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(Row + I), _mm_min_epu8(P, Limit));
  }
#endif
  for (; I < Count; ++I) {
    const uint32_t P = Row[I];
    const uint32_t A = P >> 24;
    const uint32_t R = std::min((P >> 16) & 0xFFu, A), G = std::min((P >> 8) & 0xFFu, A), B = std::min(P & 0xFFu, A);
    Row[I] = (A << 24) | (R << 16) | (G << 8) | B;
  }
}
}  // namespace

TGLContext::TGLContext(TGLDevice& ADevice, TTexture* ATexture, TMultisample AMultisample, bool ADepthStencil)
    : TContext3D(ATexture, ATexture ? ATexture->Width() : 0, ATexture ? ATexture->Height() : 0,
                 ATexture ? ATexture->TextureScale() : 1, AMultisample, ADepthStencil),
      FDevice(ADevice) {
  FDevice.MakeCurrent();
  if (!ATexture || ATexture->IsEmpty()) return;
  TRenderTargetLimits Limits;
  Limits.MaxSize = FDevice.MaxTargetSize();
  Limits.SampleCounts = FDevice.SupportedSampleCounts();
  const std::optional<TRenderTarget> Target =
      ChooseRenderTarget(Width(), Height(), AMultisample, Limits,
                         [this, ADepthStencil](const TRenderTarget& T) { return MakeBuffers(T, ADepthStencil); });
  if (!Target)
    throw EInvalidOperation(Format("Cannot create a render target of %s x %s pixels for '%s'.",
                                   {std::to_string(Width()), std::to_string(Height()), ClassName()}));
  SetTargetSize(Target->Width, Target->Height);
  FSamples = Target->Samples;
}

bool TGLContext::MakeBuffers(const TRenderTarget& Target, bool DepthStencil) {
  // Errors left by earlier calls must not count against this target.
  while (glGetError() != GL_NO_ERROR) {
  }
  const GLuint TextureName = FDevice.PrepareRenderTarget(*Texture(), Target.Width, Target.Height);
  GLint OldFramebuffer = 0, OldRenderbuffer = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &OldFramebuffer);
  glGetIntegerv(GL_RENDERBUFFER_BINDING, &OldRenderbuffer);
  FTextureFramebuffer = FDevice.NewObject(TGLObjectKind::Framebuffer);
  glBindFramebuffer(GL_FRAMEBUFFER, FTextureFramebuffer);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, TextureName, 0);
  bool Complete = TextureName != 0 && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  if (Target.Samples > 1) {
    FDrawFramebuffer = FDevice.NewObject(TGLObjectKind::Framebuffer);
    FColorBuffer = FDevice.NewObject(TGLObjectKind::Renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, FColorBuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, Target.Samples, GL_RGBA8, Target.Width, Target.Height);
    glBindFramebuffer(GL_FRAMEBUFFER, FDrawFramebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, FColorBuffer);
  } else {
    FDrawFramebuffer = FTextureFramebuffer;
  }
  if (DepthStencil) {
    FDepthBuffer = FDevice.NewObject(TGLObjectKind::Renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, FDepthBuffer);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, Target.Samples > 1 ? Target.Samples : 0, GL_DEPTH24_STENCIL8,
                                     Target.Width, Target.Height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, FDepthBuffer);
  }
  Complete = Complete && glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  // A storage the device could not allocate shows only as an error.
  Complete = glGetError() == GL_NO_ERROR && Complete;
  // A new depth-stencil buffer holds no defined value until cleared.
  if (Complete && FDepthBuffer) FDevice.Clear(false, true, true, 0, 1, FStencilValue);
  glBindFramebuffer(GL_FRAMEBUFFER, static_cast<GLuint>(OldFramebuffer));
  glBindRenderbuffer(GL_RENDERBUFFER, static_cast<GLuint>(OldRenderbuffer));
  if (Complete) return true;
  FreeBuffers();
  Texture()->SetResource(nullptr);
  return false;
}

TGLContext::~TGLContext() {
  FDevice.MakeCurrent();
  FreeBuffers();
  // The driver gives a deleted target's storage back only once the work drawn into it is
  // done; without waiting here a storm of resizes left tens of megabytes of old targets held.
  glFinish();
}

void TGLContext::FreeBuffers() {
  if (FDrawFramebuffer != FTextureFramebuffer) FDevice.DeleteObject(TGLObjectKind::Framebuffer, FDrawFramebuffer);
  FDevice.DeleteObject(TGLObjectKind::Framebuffer, FTextureFramebuffer);
  FDevice.DeleteObject(TGLObjectKind::Renderbuffer, FColorBuffer);
  FDevice.DeleteObject(TGLObjectKind::Renderbuffer, FDepthBuffer);
  FDrawFramebuffer = FTextureFramebuffer = FColorBuffer = FDepthBuffer = 0;
}

std::string TGLContext::DeviceName() const { return std::string(ClassName()) + " (" + FDevice.Renderer() + ")"; }

bool TGLContext::DoBeginScene() {
  if (!FDrawFramebuffer) return false;
  FDevice.MakeCurrent();
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &FSavedDrawFramebuffer);
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &FSavedReadFramebuffer);
  glGetIntegerv(GL_VIEWPORT, FSavedViewport);
  glBindFramebuffer(GL_FRAMEBUFFER, FDrawFramebuffer);
  glViewport(0, 0, Width(), Height());
  glDepthRange(0, 1);
  glScissor(0, 0, Width(), Height());
  return true;
}

void TGLContext::DoBeginRepaint(const TTargetRect& Repaint) {
  FDevice.MakeCurrent();
  // The device renders with an upper-left origin: row R of the frame is the target's row R.
  if (Repaint != TTargetRect{0, 0, Width(), Height()})
    FDevice.LimitTo(Repaint.Left, Repaint.Top, Repaint.Width(), Repaint.Height());
}

void TGLContext::DoEndScene() {
  FDevice.MakeCurrent();
  const TTargetRect R = LastRepaint();
  if (FDrawFramebuffer != FTextureFramebuffer && !R.IsEmpty()) {
    // The resolve copies every sample of the repainted part; a scissor left on by the scene
    // would cut it.
    FDevice.SuspendScissor();
    glBindFramebuffer(GL_READ_FRAMEBUFFER, FDrawFramebuffer);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, FTextureFramebuffer);
    glBlitFramebuffer(R.Left, R.Top, R.Right, R.Bottom, R.Left, R.Top, R.Right, R.Bottom, GL_COLOR_BUFFER_BIT,
                      GL_NEAREST);
    FDevice.ResumeScissor();
  }
  FDevice.EndLimit(Width(), Height());
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(FSavedDrawFramebuffer));
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(FSavedReadFramebuffer));
  glViewport(FSavedViewport[0], FSavedViewport[1], FSavedViewport[2], FSavedViewport[3]);
}

void TGLContext::DoClear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil) {
  if (!FDrawFramebuffer) return;
  FDevice.MakeCurrent();
  const bool ClearDepth = Targets.Contains(TClearTarget::Depth) && FDepthBuffer;
  bool ClearStencil = Targets.Contains(TClearTarget::Stencil) && FDepthBuffer;
  if (ClearStencil) FStencilValue = Stencil;
  // The stencil cleared with the depth to the value it already holds: nothing observable changes.
  ClearStencil = ClearStencil || ClearDepth;
  FDevice.Clear(Targets.Contains(TClearTarget::Color), ClearDepth, ClearStencil, Color, Depth, FStencilValue);
}

void TGLContext::DoSetContextState(TContextState State) {
  FDevice.MakeCurrent();
  FDevice.SetState(State);
}

void TGLContext::DoSetShaders(TContextShader* VertexShader, TContextShader* PixelShader) {
  FDevice.MakeCurrent();
  FDevice.UseShaders(VertexShader, PixelShader);
}

void TGLContext::DoSetShaderVariable(const std::string& Name, const TShaderValue& Value) {
  FDevice.MakeCurrent();
  FDevice.SetVariable(Name, Value);
}

void TGLContext::DoDrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices) {
  if (!FDrawFramebuffer || BeginSceneCount() == 0) return;
  FDevice.MakeCurrent();
  FDevice.DrawTriangles(Vertices, Indices);
}

void TGLContext::DoUpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data,
                                 int Pitch) {
  FDevice.MakeCurrent();
  FDevice.UpdateTexture(Texture, X, Y, Width, Height, Data, Pitch);
}

void TGLContext::DoCopyToBitmap(TBitmap& Bitmap, const TTargetRect& Rect) {
  if (!FTextureFramebuffer || Bitmap.IsEmpty()) return;
  // The pixels outside Rect stay as they are: if they were known opaque, that still holds.
  const bool RestOpaque = Bitmap.KnownOpaque() || (Rect == TTargetRect{0, 0, Bitmap.Width(), Bitmap.Height()});
  TBitmapData Data;
  if (!Bitmap.Map(TMapAccess::Write, Data)) return;
  FDevice.MakeCurrent();
  const int W = Rect.Width(), H = Rect.Height();
  uint8_t* First = Data.Data + static_cast<ptrdiff_t>(Rect.Top) * Data.Pitch + static_cast<ptrdiff_t>(Rect.Left) * 4;
  GLint OldRead = 0;
  glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &OldRead);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, FTextureFramebuffer);
  // The upper-left origin the device renders with puts the top row first in the target, the
  // order the bitmap keeps, so the rows come over as they are.
  glPixelStorei(GL_PACK_ROW_LENGTH, Data.Pitch / 4);
  // The target keeps B, G, R, A where the device allows (MakeTargetStorage): a plain copy.
  glReadPixels(Rect.Left, Rect.Top, W, H, GL_BGRA, GL_UNSIGNED_BYTE, First);
  glPixelStorei(GL_PACK_ROW_LENGTH, 0);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(OldRead));
  bool Opaque = RestOpaque;
  for (int Y = Rect.Top; Y < Rect.Bottom; ++Y)
    if (!RowIsOpaque(Data.Scanline(Y) + Rect.Left, W)) {
      LimitToAlpha(Data.Scanline(Y) + Rect.Left, W);
      Opaque = false;
    }
  Bitmap.Unmap(Data);
  // Said after the Unmap, which forgets what was known of the pixels before.
  if (Opaque) Bitmap.MarkKnownOpaque();
}
