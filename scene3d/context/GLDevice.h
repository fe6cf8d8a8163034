#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "scene3d/context/Context3D.h"

class TContextShader;
class TTexture;

/// Where the device comes from, in the order the automatic choice tries them.
enum class TGLDeviceKind {
  Hardware,     // an EGL device backed by a GPU (EGL_EXT_platform_device)
  Software,     // Mesa's software EGL device (llvmpipe)
  Surfaceless,  // Mesa's surfaceless platform, whatever driver it picks
};

const char* GLDeviceKindName(TGLDeviceKind Kind);

/// The sample count for Requested among the counts the device supports: 4, 3, 2 tried for four
/// samples, 2 for two, and 1 when none of those is supported or none is asked for.
int ChooseSampleCount(TMultisample Requested, const std::vector<int>& Supported);

enum class TGLObjectKind { Texture, Renderbuffer, Framebuffer, Buffer, VertexArray, Shader, Program };

/// TGLDevice: the process's one OpenGL 3.3 core device, made through EGL without a window or a
/// display server. It owns the GL context, the programs linked from the shader registry, the
/// buffers that carry each draw's vertices and the device state that the render states set,
/// and it counts every GL object it holds so that leaks across context rebuilds show.
class TGLDevice {
 public:
  ~TGLDevice();
  TGLDevice(const TGLDevice&) = delete;
  TGLDevice& operator=(const TGLDevice&) = delete;

  /// The device, or nullptr while none has been made.
  static TGLDevice* Instance();
  /// The device of Kind, made now if there is none; nullptr when it cannot be made (or a device
  /// of another kind already serves the process), and then Why, if given, says why.
  static TGLDevice* TryCreate(TGLDeviceKind Kind, std::string* Why = nullptr);
  /// As TryCreate, but a failure raises ECannotCreateD3DDevice naming ClassName.
  static TGLDevice& Acquire(TGLDeviceKind Kind, const std::string& ClassName);
  /// Frees the device and everything it holds; a later request makes a new one.
  static void Shutdown();
  /// Makes the device of the first kind in Order that can be made on a worker thread, and there
  /// readies what the first frame needs (programs, the device's own code for the render states,
  /// mip levels and the resolve), so that the main thread can meanwhile create its window and
  /// read its form. Every other use of the device first waits for the worker; a failure leaves
  /// the choice to the ordinary requests.
  static void OpenInBackground(const std::vector<TGLDeviceKind>& Order);
  /// Asks the worker to skip what it has not started yet and waits for it: the process must not
  /// end while a worker is inside the driver.
  static void EndBackgroundOpen();
  /// Whether a worker started by OpenInBackground has not been waited for yet (it may have
  /// finished); asking does not wait.
  static bool OpeningInBackground();
  /// Whether that worker is still at work (in the driver); asking does not wait.
  static bool BackgroundOpenBusy();

  TGLDeviceKind Kind() const { return FKind; }
  /// GL_RENDERER of the device, e.g. "llvmpipe (LLVM 15.0.6, 256 bits)".
  const std::string& Renderer() const { return FRenderer; }
  /// Sample counts usable for both the colour and the depth-stencil format, 1 included.
  const std::vector<int>& SupportedSampleCounts() const { return FSampleCounts; }
  int MaxTextureSize() const { return FMaxTextureSize; }
  /// The largest side of a target: a texture, a renderbuffer and a viewport of that size fit;
  /// no more than a limit set with LimitTargetSize.
  int MaxTargetSize() const {
    return FTargetSizeLimit > 0 && FTargetSizeLimit < FMaxTargetSize ? FTargetSizeLimit : FMaxTargetSize;
  }
  /// Contexts made from now on plan their targets as if the device's largest side were MaxSide
  /// (0: the device's own). A device whose largest side is beyond any view a window can have
  /// would otherwise never show what a view larger than the device gets.
  void LimitTargetSize(int MaxSide) { FTargetSizeLimit = MaxSide; }
  /// Whether the device sets the scene's clip space (upper-left origin, depth 0..1) itself; a
  /// plain OpenGL 3.3 device without GL_ARB_clip_control has its vertex programs do it.
  bool ClipControl() const { return FClipControl; }
  /// Distinguishes this device from a later one, for device objects that outlive it.
  uint64_t Generation() const { return FGeneration; }

  /// Makes the device's GL context current on this thread if another one is.
  void MakeCurrent();

  /// GL object bookkeeping: every object the back end holds is made and freed here.
  unsigned NewObject(TGLObjectKind Kind);
  void DeleteObject(TGLObjectKind Kind, unsigned Name);
  /// Objects currently held, of every kind.
  int LiveObjectCount() const { return FLiveObjects; }
  /// Pixel uploads of textures so far, for checking that unchanged images are not re-sent.
  uint64_t TextureUploads() const { return FTextureUploads; }

  /// The GL texture of Texture, made on first use, with the texture's pixels uploaded when they
  /// changed since the last upload.
  unsigned PrepareTexture(TTexture& Texture);
  /// Writes a rectangle of pixels (rows Pitch bytes apart) into the first level of Texture's
  /// GL texture, making it when needed; the other levels follow at the next PrepareTexture.
  void UpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data, int Pitch);
  /// Gives the texture Name storage for every level, binds it, and has it sampled linearly
  /// and clamped to its edges.
  void MakeStorage(unsigned Name, int Width, int Height, int Levels);
  /// The GL texture that a context renders Texture's frames into, of Width × Height pixels
  /// (the texture's own size, or a smaller target's), made anew when it has another size.
  unsigned PrepareRenderTarget(TTexture& Texture, int Width, int Height);

  /// Render states: the device settings behind each TContextState.
  void SetState(TContextState State);
  /// Clears the bound target; the clear reaches every channel and the whole target whatever the
  /// colour mask, depth mask and scissor test say, as a device clear does.
  void Clear(bool Color, bool Depth, bool Stencil, TAlphaColor ClearColor, float DepthValue, uint32_t StencilValue);
  /// Turns the scissor test off around a resolve and back on after it.
  void SuspendScissor();
  void ResumeScissor();
  /// Keeps every clear and draw inside the rectangle (X, Y, Width, Height) of the bound target,
  /// whatever the scissor state says, until EndLimit, which gives the scissor test back to the
  /// state and sets its rectangle to the whole target of TargetWidth × TargetHeight.
  void LimitTo(int X, int Y, int Width, int Height);
  void EndLimit(int TargetWidth, int TargetHeight);
  bool Limited() const { return FLimited; }

  /// Binds the program linked from the two shaders, compiling and linking on first use.
  void UseShaders(TContextShader* VertexShader, TContextShader* PixelShader);
  /// Sets a variable of the bound program; a name the program does not use is ignored.
  void SetVariable(const std::string& Name, const TShaderValue& Value);
  void DrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices);

 private:
  struct TUniform {
    int Location = -1;
    unsigned Type = 0;
    int TextureUnit = -1;
  };
  struct TProgram {
    unsigned Name = 0;
    std::map<std::string, TUniform> Uniforms;
  };

  TGLDevice() = default;
  static std::unique_ptr<TGLDevice> Open(TGLDeviceKind Kind, std::string& Why);
  void SetUpState();
  /// Gives the render target Name one level of storage in the order B, G, R, A (the bitmaps'
  /// order, so that reading a frame back is a plain copy) where the driver allows, 8 bits a
  /// channel, sampled as MakeStorage's.
  void MakeTargetStorage(unsigned Name, int Width, int Height);
  /// Sampling of the bound texture: linear, through its Levels, clamped to its edges.
  void SetSampling(int Levels);
  /// Draws with each program in the states the game's first frame uses, into a small target of
  /// the formats a viewport's context uses, and leaves the device as SetUpState made it.
  void WarmUp();
  unsigned CompileShader(TContextShader& Shader);
  TProgram& ProgramFor(TContextShader* VertexShader, TContextShader* PixelShader);

  TGLDeviceKind FKind = TGLDeviceKind::Software;
  void* FDisplay = nullptr;
  void* FContext = nullptr;
  std::string FRenderer;
  std::vector<int> FSampleCounts;
  int FMaxTextureSize = 0;
  bool FHasTextureStorage = false;
  int FMaxTargetSize = 0;
  int FTargetSizeLimit = 0;
  bool FClipControl = true;
  uint64_t FGeneration = 0;
  int FLiveObjects = 0;
  uint64_t FTextureUploads = 0;

  std::map<TContextShader*, unsigned> FShaders;
  std::map<std::pair<TContextShader*, TContextShader*>, TProgram> FPrograms;
  TProgram* FCurrentProgram = nullptr;
  unsigned FVertexArray = 0;
  unsigned FVertexBuffer = 0;
  unsigned FIndexBuffer = 0;

  /// What the render states last set, for restoring after a clear or a resolve.
  bool FScissor = false;
  bool FLimited = false;
  bool FColorWrite = true;
  bool FDepthWrite = true;
};
