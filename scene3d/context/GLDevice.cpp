#include "scene3d/context/GLDevice.h"

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <thread>

#include "scene3d/context/Shader.h"
#include "scene3d/context/Texture.h"
#include "scene3d/context/detail/GLHeaders.h"

static_assert(sizeof(TMeshVertex) == 14 * sizeof(float), "the vertex layout below assumes 14 packed floats");
static_assert(sizeof(TMatrix3D) == 16 * sizeof(float), "matrices are sent as 16 packed floats");

namespace {
// The device lives for the rest of the process once made: tearing the driver down at exit
// gains nothing and would race with textures still freed by static destructors.
TGLDevice* GDevice = nullptr;
uint64_t GGenerations = 0;

// The worker that makes the device in the background; joined before any other use of it,
// and at the latest when the process ends.
struct TBackgroundOpen {
  std::thread Worker;
  // Asks the worker to stop after the step it is in.
  std::atomic<bool> Cancelled{false};
  // Set from the worker's start until it has left the driver.
  std::atomic<bool> Busy{false};
  ~TBackgroundOpen() { Cancel(); }
  void Await() {
    if (Worker.joinable()) Worker.join();
  }
  void Cancel() {
    Cancelled = true;
    Await();
  }
} GBackground;

bool HasWord(const char* List, const char* Word) {
  if (!List) return false;
  const size_t N = std::strlen(Word);
  for (const char* P = std::strstr(List, Word); P; P = std::strstr(P + 1, Word))
    if ((P == List || P[-1] == ' ') && (P[N] == ' ' || P[N] == '\0')) return true;
  return false;
}

// The last EGL error, as EGL's headers write it.
std::string EGLErrorText() {
  char Text[32];
  std::snprintf(Text, sizeof Text, "EGL error 0x%04X", static_cast<unsigned>(eglGetError()));
  return Text;
}

// The EGL display of Kind, or EGL_NO_DISPLAY when this system has none (Why says so).
EGLDisplay OpenDisplay(TGLDeviceKind Kind, std::string& Why) {
  const char* Client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
  if (!Client) {
    Why = "no EGL implementation (" + EGLErrorText() + ")";
    return EGL_NO_DISPLAY;
  }
  if (Kind == TGLDeviceKind::Surfaceless) {
    if (!HasWord(Client, "EGL_MESA_platform_surfaceless")) {
      Why = "EGL has no surfaceless platform";
      return EGL_NO_DISPLAY;
    }
    EGLDisplay Display = eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (Display == EGL_NO_DISPLAY) Why = "no surfaceless display (" + EGLErrorText() + ")";
    return Display;
  }
  auto QueryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
  auto QueryDeviceString = reinterpret_cast<PFNEGLQUERYDEVICESTRINGEXTPROC>(eglGetProcAddress("eglQueryDeviceStringEXT"));
  if (!HasWord(Client, "EGL_EXT_platform_device") || !HasWord(Client, "EGL_EXT_device_enumeration") ||
      !QueryDevices || !QueryDeviceString) {
    Why = "EGL cannot list devices";
    return EGL_NO_DISPLAY;
  }
  EGLint Count = 0;
  if (!QueryDevices(0, nullptr, &Count) || Count <= 0) {
    Why = "EGL lists no device";
    return EGL_NO_DISPLAY;
  }
  std::vector<EGLDeviceEXT> Devices(static_cast<size_t>(Count));
  if (!QueryDevices(Count, Devices.data(), &Count)) {
    Why = "EGL cannot list devices (" + EGLErrorText() + ")";
    return EGL_NO_DISPLAY;
  }
  for (int I = 0; I < Count; ++I) {
    const bool Software = HasWord(QueryDeviceString(Devices[static_cast<size_t>(I)], EGL_EXTENSIONS), "EGL_MESA_device_software");
    if (Software != (Kind == TGLDeviceKind::Software)) continue;
    EGLDisplay Display = eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, Devices[static_cast<size_t>(I)], nullptr);
    if (Display != EGL_NO_DISPLAY) return Display;
  }
  Why = Kind == TGLDeviceKind::Software ? "none of the " + std::to_string(Count) + " EGL devices renders in software"
                                        : "none of the " + std::to_string(Count) + " EGL devices is a GPU";
  return EGL_NO_DISPLAY;
}

bool HasGLExtension(const char* Name) {
  GLint Count = 0;
  glGetIntegerv(GL_NUM_EXTENSIONS, &Count);
  for (GLint I = 0; I < Count; ++I) {
    const char* E = reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, static_cast<GLuint>(I)));
    if (E && std::strcmp(E, Name) == 0) return true;
  }
  return false;
}

std::vector<int> SampleCountsOf(GLenum Format) {
  GLint Count = 0;
  glGetInternalformativ(GL_RENDERBUFFER, Format, GL_NUM_SAMPLE_COUNTS, 1, &Count);
  std::vector<GLint> Counts(static_cast<size_t>(std::max(Count, 0)));
  if (Count > 0) glGetInternalformativ(GL_RENDERBUFFER, Format, GL_SAMPLES, Count, Counts.data());
  return {Counts.begin(), Counts.end()};
}

// A texture's device object; freeing it frees the GL texture if its device still lives.
class TGLTextureResource : public ITextureResource {
 public:
  TGLTextureResource(TGLDevice& Device, int AWidth, int AHeight, int ALevels)
      : Generation(Device.Generation()), Width(AWidth), Height(AHeight), Levels(ALevels) {
    Name = Device.NewObject(TGLObjectKind::Texture);
  }
  bool IsCurrent() const override {
    const TGLDevice* Device = TGLDevice::Instance();
    return Device && Device->Generation() == Generation;
  }
  ~TGLTextureResource() override {
    TGLDevice* Device = TGLDevice::Instance();
    if (Device && Device->Generation() == Generation) {
      Device->MakeCurrent();
      Device->DeleteObject(TGLObjectKind::Texture, Name);
    }
  }
  uint64_t Generation;
  unsigned Name = 0;
  int Width, Height, Levels;
  // The first level changed since the others were made from it.
  bool LevelsStale = false;
};

// Which way front faces turn in window coordinates. The projection maps the scene's screen
// (Y down) to clip space with Y up, and the upper-left clip origin flips Y once more on the
// way to the target, so a triangle that runs clockwise on the screen runs clockwise in the
// window coordinates GL decides facing in. Without clip control the vertex programs mirror Y
// themselves, which GL does not undo when it decides facing, so the winding is the other one.
constexpr GLenum FrontFaceWinding = GL_CW;
constexpr GLenum MirroredFrontFaceWinding = GL_CCW;

// A vertex program for a device without clip control: the program's own main runs under
// another name, and a new main turns its position into what the upper-left origin and the
// zero-to-one depth range would have made of it: Y negated, so that the scene's top row is the
// target's first row, and depth 0..1 stretched over GL's -1..1, so that the same points are
// clipped and the same depths stored.
std::string WithoutClipControl(const std::string& Code) {
  size_t Insert = 0;
  if (Code.rfind("#version", 0) == 0) {
    Insert = Code.find('\n');
    Insert = Insert == std::string::npos ? Code.size() : Insert + 1;
  }
  std::string Result = Code.substr(0, Insert);
  Result += "#define main SceneVertexMain\n";
  Result.append(Code, Insert, std::string::npos);
  Result +=
      "\n#undef main\n"
      "void main() {\n"
      "  SceneVertexMain();\n"
      "  gl_Position.y = -gl_Position.y;\n"
      "  gl_Position.z = 2.0 * gl_Position.z - gl_Position.w;\n"
      "}\n";
  return Result;
}
}  // namespace

const char* GLDeviceKindName(TGLDeviceKind Kind) {
  switch (Kind) {
    case TGLDeviceKind::Hardware: return "hardware EGL device";
    case TGLDeviceKind::Software: return "software EGL device";
    default: return "surfaceless EGL platform";
  }
}

int ChooseSampleCount(TMultisample Requested, const std::vector<int>& Supported) {
  static const std::vector<int> Four{4, 3, 2}, Two{2}, One{};
  const std::vector<int>& Tries =
      Requested == TMultisample::FourSamples ? Four : Requested == TMultisample::TwoSamples ? Two : One;
  for (int Count : Tries)
    if (std::find(Supported.begin(), Supported.end(), Count) != Supported.end()) return Count;
  return 1;
}

TGLDevice* TGLDevice::Instance() {
  GBackground.Await();
  return GDevice;
}

TGLDevice* TGLDevice::TryCreate(TGLDeviceKind Kind, std::string* Why) {
  GBackground.Await();
  std::string Reason;
  if (GDevice) {
    Reason = "another device serves the process";
    if (GDevice->FKind == Kind) return GDevice;
  } else {
    GDevice = Open(Kind, Reason).release();
    if (GDevice) return GDevice;
  }
  if (Why) *Why = Reason;
  return nullptr;
}

TGLDevice& TGLDevice::Acquire(TGLDeviceKind Kind, const std::string& ClassName) {
  TGLDevice* Device = TryCreate(Kind);
  if (!Device) throw ECannotCreateD3DDevice(Format("Cannot create Direct3D device for '%s'.", {ClassName}));
  return *Device;
}

void TGLDevice::Shutdown() {
  GBackground.Await();
  delete GDevice;
  GDevice = nullptr;
}

void TGLDevice::EndBackgroundOpen() { GBackground.Cancel(); }

bool TGLDevice::OpeningInBackground() { return GBackground.Worker.joinable(); }

bool TGLDevice::BackgroundOpenBusy() { return GBackground.Busy; }

void TGLDevice::OpenInBackground(const std::vector<TGLDeviceKind>& Order) {
  GBackground.Await();
  if (GDevice || Order.empty()) return;
  GBackground.Cancelled = false;
  GBackground.Busy = true;
  GBackground.Worker = std::thread([Order] {
    for (TGLDeviceKind Kind : Order) {
      if (GBackground.Cancelled) break;
      // Why a kind cannot be made is told when the main thread tries it again.
      std::string Why;
      std::unique_ptr<TGLDevice> Device = Open(Kind, Why);
      if (!Device) continue;
      try {
        if (!GBackground.Cancelled) Device->WarmUp();
      } catch (const std::exception&) {
        // The main thread meets the same failure when it first draws, and reports it there.
      }
      // The context is made current again by whichever thread draws next.
      eglMakeCurrent(Device->FDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
      GDevice = Device.release();
      break;
    }
    eglReleaseThread();
    GBackground.Busy = false;
  });
}

std::unique_ptr<TGLDevice> TGLDevice::Open(TGLDeviceKind Kind, std::string& Why) {
  EGLDisplay Display = OpenDisplay(Kind, Why);
  if (Display == EGL_NO_DISPLAY) return nullptr;
  EGLint Major = 0, Minor = 0;
  if (!eglInitialize(Display, &Major, &Minor)) {
    Why = "eglInitialize failed (" + EGLErrorText() + ")";
    return nullptr;
  }
  // The device renders into its own framebuffer objects only, so it needs no surface at all.
  EGLContext Context = EGL_NO_CONTEXT;
  if (HasWord(eglQueryString(Display, EGL_EXTENSIONS), "EGL_KHR_surfaceless_context") && eglBindAPI(EGL_OPENGL_API)) {
    const EGLint ConfigAttribs[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig Config = nullptr;
    EGLint Configs = 0;
    if (!eglChooseConfig(Display, ConfigAttribs, &Config, 1, &Configs) || Configs < 1) Config = nullptr;
    if (Config || HasWord(eglQueryString(Display, EGL_EXTENSIONS), "EGL_KHR_no_config_context")) {
      const EGLint ContextAttribs[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 3,
                                       EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT, EGL_NONE};
      Context = eglCreateContext(Display, Config ? Config : EGL_NO_CONFIG_KHR, EGL_NO_CONTEXT, ContextAttribs);
    }
  }
  if (Context == EGL_NO_CONTEXT || !eglMakeCurrent(Display, EGL_NO_SURFACE, EGL_NO_SURFACE, Context)) {
    Why = "no OpenGL 3.3 core context without a surface (" + EGLErrorText() + ")";
    if (Context != EGL_NO_CONTEXT) eglDestroyContext(Display, Context);
    eglTerminate(Display);
    return nullptr;
  }
  std::unique_ptr<TGLDevice> Device(new TGLDevice);
  Device->FKind = Kind;
  Device->FDisplay = Display;
  Device->FContext = Context;
  // The scene's depth runs from 0 to 1 and its first row is the top one, as on the devices the
  // projection was made for: clip control says so where there is any, the vertex programs
  // elsewhere (WithoutClipControl).
  GLint GLMajor = 0, GLMinor = 0;
  glGetIntegerv(GL_MAJOR_VERSION, &GLMajor);
  glGetIntegerv(GL_MINOR_VERSION, &GLMinor);
  const int Version = GLMajor * 10 + GLMinor;
  if (Version < 33) {
    Why = "OpenGL " + std::to_string(GLMajor) + "." + std::to_string(GLMinor);
    return nullptr;
  }
  Device->FClipControl = Version >= 45 || HasGLExtension("GL_ARB_clip_control");
  const char* Renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  Device->FRenderer = Renderer ? Renderer : "";
  const std::vector<int> Colour = SampleCountsOf(GL_RGBA8), Depth = SampleCountsOf(GL_DEPTH24_STENCIL8);
  Device->FSampleCounts.push_back(1);
  for (int Count : Colour)
    if (Count > 1 && std::find(Depth.begin(), Depth.end(), Count) != Depth.end()) Device->FSampleCounts.push_back(Count);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &Device->FMaxTextureSize);
  GLint MaxRenderbuffer = 0, MaxViewport[2] = {};
  glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &MaxRenderbuffer);
  glGetIntegerv(GL_MAX_VIEWPORT_DIMS, MaxViewport);
  Device->FMaxTargetSize = std::min({Device->FMaxTextureSize, MaxRenderbuffer, MaxViewport[0], MaxViewport[1]});
  Device->FHasTextureStorage = Version >= 42 || HasGLExtension("GL_ARB_texture_storage");
  Device->FGeneration = ++GGenerations;
  Device->SetUpState();
  return Device;
}

TGLDevice::~TGLDevice() {
  if (!FDisplay) return;
  MakeCurrent();
  for (auto& [Key, Program] : FPrograms) DeleteObject(TGLObjectKind::Program, Program.Name);
  for (auto& [Shader, Name] : FShaders) DeleteObject(TGLObjectKind::Shader, Name);
  if (FVertexArray) DeleteObject(TGLObjectKind::VertexArray, FVertexArray);
  if (FVertexBuffer) DeleteObject(TGLObjectKind::Buffer, FVertexBuffer);
  if (FIndexBuffer) DeleteObject(TGLObjectKind::Buffer, FIndexBuffer);
  eglMakeCurrent(FDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
  eglDestroyContext(FDisplay, FContext);
  eglTerminate(FDisplay);
  eglReleaseThread();
}

void TGLDevice::MakeCurrent() {
  if (eglGetCurrentContext() != FContext) eglMakeCurrent(FDisplay, EGL_NO_SURFACE, EGL_NO_SURFACE, FContext);
}

void TGLDevice::SetUpState() {
  if (FClipControl) glClipControl(GL_UPPER_LEFT, GL_ZERO_TO_ONE);
  // The initial device settings: blending on with the premultiplied "over" for colour and
  // alpha, every channel written, solid fill, back faces culled, no depth bias, depth clipping
  // on, scissor off, multisampling on, depth test off with writes on and less-or-equal,
  // stencil off. Lines are smoothed by the multisampling itself: GL_LINE_SMOOTH stays off,
  // since Mesa's software renderer stops multisampling triangles once it has been on.
  glEnable(GL_BLEND);
  glBlendEquation(GL_FUNC_ADD);
  glBlendFuncSeparate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glFrontFace(FClipControl ? FrontFaceWinding : MirroredFrontFaceWinding);
  glEnable(GL_CULL_FACE);
  glCullFace(GL_BACK);
  glDisable(GL_POLYGON_OFFSET_FILL);
  glDisable(GL_DEPTH_CLAMP);
  glDisable(GL_SCISSOR_TEST);
  glEnable(GL_MULTISAMPLE);
  glDisable(GL_DEPTH_TEST);
  glDepthMask(GL_TRUE);
  glDepthFunc(GL_LEQUAL);
  glDisable(GL_STENCIL_TEST);
  // GL may dither by default; the image must hold exactly the blended values.
  glDisable(GL_DITHER);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_PACK_ALIGNMENT, 4);

  // One vertex array and a pair of streamed buffers carry every draw: position, normal,
  // texture coordinate, binormal and tangent at locations 0 to 4.
  FVertexArray = NewObject(TGLObjectKind::VertexArray);
  FVertexBuffer = NewObject(TGLObjectKind::Buffer);
  FIndexBuffer = NewObject(TGLObjectKind::Buffer);
  glBindVertexArray(FVertexArray);
  glBindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, FIndexBuffer);
  const GLsizei Stride = sizeof(TMeshVertex);
  const struct {
    GLint Size;
    size_t Offset;
  } Attributes[] = {{3, offsetof(TMeshVertex, Position)},
                    {3, offsetof(TMeshVertex, Normal)},
                    {2, offsetof(TMeshVertex, U)},
                    {3, offsetof(TMeshVertex, Binormal)},
                    {3, offsetof(TMeshVertex, Tangent)}};
  for (GLuint I = 0; I < 5; ++I) {
    glEnableVertexAttribArray(I);
    glVertexAttribPointer(I, Attributes[I].Size, GL_FLOAT, GL_FALSE, Stride,
                          reinterpret_cast<const void*>(Attributes[I].Offset));
  }
}

unsigned TGLDevice::NewObject(TGLObjectKind Kind) {
  GLuint Name = 0;
  switch (Kind) {
    case TGLObjectKind::Texture: glGenTextures(1, &Name); break;
    case TGLObjectKind::Renderbuffer: glGenRenderbuffers(1, &Name); break;
    case TGLObjectKind::Framebuffer: glGenFramebuffers(1, &Name); break;
    case TGLObjectKind::Buffer: glGenBuffers(1, &Name); break;
    case TGLObjectKind::VertexArray: glGenVertexArrays(1, &Name); break;
    case TGLObjectKind::Shader: return 0;  // made by CompileShader, which counts it
    case TGLObjectKind::Program: Name = glCreateProgram(); break;
  }
  if (Name) ++FLiveObjects;
  return Name;
}

void TGLDevice::DeleteObject(TGLObjectKind Kind, unsigned Name) {
  if (!Name) return;
  switch (Kind) {
    case TGLObjectKind::Texture: glDeleteTextures(1, &Name); break;
    case TGLObjectKind::Renderbuffer: glDeleteRenderbuffers(1, &Name); break;
    case TGLObjectKind::Framebuffer: glDeleteFramebuffers(1, &Name); break;
    case TGLObjectKind::Buffer: glDeleteBuffers(1, &Name); break;
    case TGLObjectKind::VertexArray: glDeleteVertexArrays(1, &Name); break;
    case TGLObjectKind::Shader: glDeleteShader(Name); break;
    case TGLObjectKind::Program: glDeleteProgram(Name); break;
  }
  --FLiveObjects;
}

unsigned TGLDevice::PrepareRenderTarget(TTexture& Texture, int Width, int Height) {
  if (Width <= 0 || Height <= 0) return 0;
  auto* Resource = dynamic_cast<TGLTextureResource*>(Texture.Resource());
  if (!Resource || Resource->Generation != FGeneration || Resource->Width != Width || Resource->Height != Height) {
    if (Texture.PixelFormat() == TPixelFormat::None) Texture.SetPixelFormat(TPixelFormat::BGRA);
    auto Made = std::make_unique<TGLTextureResource>(*this, Width, Height, 1);
    Resource = Made.get();
    Texture.SetResource(std::move(Made));
    MakeTargetStorage(Resource->Name, Width, Height);
  }
  return Resource->Name;
}

namespace {
// The texture's current device object, made (with undefined pixels) when it has none.
TGLTextureResource& TextureResource(TGLDevice& Device, TTexture& Texture) {
  auto* Resource = dynamic_cast<TGLTextureResource*>(Texture.Resource());
  if (Resource && Resource->Generation == Device.Generation()) return *Resource;
  if (Texture.PixelFormat() == TPixelFormat::None) Texture.SetPixelFormat(TPixelFormat::BGRA);
  auto Made = std::make_unique<TGLTextureResource>(Device, Texture.Width(), Texture.Height(), Texture.MipLevels());
  Resource = Made.get();
  Texture.SetResource(std::move(Made));
  Device.MakeStorage(Resource->Name, Resource->Width, Resource->Height, Resource->Levels);
  return *Resource;
}

void WriteLevel0(const TGLTextureResource& Resource, int X, int Y, int Width, int Height, const uint8_t* Data,
                 int Pitch) {
  glBindTexture(GL_TEXTURE_2D, Resource.Name);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, Pitch / 4);
  glTexSubImage2D(GL_TEXTURE_2D, 0, X, Y, Width, Height, GL_BGRA, GL_UNSIGNED_BYTE, Data);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
}
}  // namespace

unsigned TGLDevice::PrepareTexture(TTexture& Texture) {
  if (Texture.IsEmpty()) return 0;
  TGLTextureResource& Resource = TextureResource(*this, Texture);
  // Straight from the bitmap's rows into level 0; the other levels are made from it in place.
  Texture.TakePixels([this, &Resource](const uint8_t* Data, int Pitch) {
    WriteLevel0(Resource, 0, 0, Resource.Width, Resource.Height, Data, Pitch);
    Resource.LevelsStale = Resource.Levels > 1;
    ++FTextureUploads;
  });
  if (Resource.LevelsStale) {
    glBindTexture(GL_TEXTURE_2D, Resource.Name);
    glGenerateMipmap(GL_TEXTURE_2D);
    Resource.LevelsStale = false;
  }
  return Resource.Name;
}

void TGLDevice::UpdateTexture(TTexture& Texture, int X, int Y, int Width, int Height, const uint8_t* Data,
                              int Pitch) {
  if (Texture.IsEmpty()) return;
  TGLTextureResource& Resource = TextureResource(*this, Texture);
  WriteLevel0(Resource, X, Y, Width, Height, Data, Pitch);
  // Made once for all the pieces of an image, when it is next drawn with.
  Resource.LevelsStale = Resource.Levels > 1;
  ++FTextureUploads;
}

void TGLDevice::MakeStorage(unsigned Name, int Width, int Height, int Levels) {
  glBindTexture(GL_TEXTURE_2D, Name);
  // Every level is made at once: a texture that has only its first level when its mip levels
  // are generated is copied into new storage first, which with a large surface costs more
  // than the levels themselves.
  if (FHasTextureStorage) {
    glTexStorage2D(GL_TEXTURE_2D, Levels, GL_RGBA8, Width, Height);
  } else {
    for (int Level = 0, W = Width, H = Height; Level < Levels; ++Level, W = std::max(W / 2, 1), H = std::max(H / 2, 1))
      glTexImage2D(GL_TEXTURE_2D, Level, GL_RGBA8, W, H, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  }
  SetSampling(Levels);
}

void TGLDevice::MakeTargetStorage(unsigned Name, int Width, int Height) {
  glBindTexture(GL_TEXTURE_2D, Name);
  // Only an unsized format lets the driver take the order of the pixels given; GL_RGBA8 is
  // kept as R, G, B, A by the software device whatever order it is given.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, Width, Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  GLint Bits[4] = {};
  const GLenum Channels[4] = {GL_TEXTURE_RED_SIZE, GL_TEXTURE_GREEN_SIZE, GL_TEXTURE_BLUE_SIZE, GL_TEXTURE_ALPHA_SIZE};
  for (int I = 0; I < 4; ++I) glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, Channels[I], &Bits[I]);
  // A driver free to choose may pick fewer bits; the picture must not lose any.
  if (Bits[0] != 8 || Bits[1] != 8 || Bits[2] != 8 || Bits[3] != 8)
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, Width, Height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
  SetSampling(1);
}

void TGLDevice::SetSampling(int Levels) {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, 0);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, Levels - 1);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, Levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

void TGLDevice::WarmUp() {
  // The software renderer compiles its own code for each combination of program, render
  // states, target format and sample count the first time it draws with it, and for each
  // mip level generation and resolve; drawing once here makes the first frame find them made.
  // The sizes are not powers of two, as a viewport's and a layer's mostly are not.
  constexpr int Size = 6, Levels = 3;
  const int Samples = ChooseSampleCount(TMultisample::FourSamples, FSampleCounts);
  // The programs are the materials'; the warm-up is one of their users only while it draws.
  struct TBorrowed {
    TContextShader* Shader;
    ~TBorrowed() { TShaderManager::UnregisterShader(Shader); }
  };
  const TBorrowed TextureVS{TShaderManager::GetBuiltin("texture.fvs")}, TexturePS{TShaderManager::GetBuiltin("texture.fps")},
      ColorVS{TShaderManager::GetBuiltin("color.fvs")}, ColorPS{TShaderManager::GetBuiltin("color.fps")};
  GLint OldViewport[4] = {};
  glGetIntegerv(GL_VIEWPORT, OldViewport);

  const unsigned Target = NewObject(TGLObjectKind::Texture);
  MakeTargetStorage(Target, Size, Size);
  GLuint Framebuffers[2] = {}, Renderbuffers[2] = {};
  glGenFramebuffers(2, Framebuffers);
  glGenRenderbuffers(2, Renderbuffers);
  glBindFramebuffer(GL_FRAMEBUFFER, Framebuffers[0]);
  glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, Target, 0);
  GLuint Draw = Framebuffers[0];
  if (Samples > 1) {
    Draw = Framebuffers[1];
    glBindRenderbuffer(GL_RENDERBUFFER, Renderbuffers[0]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, Samples, GL_RGBA8, Size, Size);
    glBindFramebuffer(GL_FRAMEBUFFER, Draw);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Renderbuffers[0]);
  }
  glBindRenderbuffer(GL_RENDERBUFFER, Renderbuffers[1]);
  glRenderbufferStorageMultisample(GL_RENDERBUFFER, Samples > 1 ? Samples : 0, GL_DEPTH24_STENCIL8, Size, Size);
  glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, Renderbuffers[1]);
  glBindRenderbuffer(GL_RENDERBUFFER, 0);
  glViewport(0, 0, Size, Size);
  Clear(true, true, true, 0xFFFFFFFF, 1, 0);

  // A layer's surface: uploaded, its levels generated, drawn on both faces.
  const unsigned Surface = NewObject(TGLObjectKind::Texture);
  MakeStorage(Surface, Size, Size, Levels);
  const std::vector<uint32_t> Pixels(static_cast<size_t>(Size) * Size, 0xFF808080u);
  glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, Size, Size, GL_BGRA, GL_UNSIGNED_BYTE, Pixels.data());
  glGenerateMipmap(GL_TEXTURE_2D);
  TVertexBuffer Quad;
  Quad.SetLength(4);
  const float Corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
  for (int I = 0; I < 4; ++I) {
    Quad.Vertex(I).Position = TPoint3D(Corners[I][0], Corners[I][1], 0.5f);
    Quad.Vertex(I).U = (Corners[I][0] + 1) / 2;
    Quad.Vertex(I).V = (Corners[I][1] + 1) / 2;
  }
  TIndexBuffer Indices;
  Indices.SetLength(6);
  const uint32_t Order[6] = {0, 1, 3, 3, 1, 2};
  for (int I = 0; I < 6; ++I) Indices.Index(I) = Order[I];
  const TShaderValue Identity{TShaderValue::TKind::Matrix, TMatrix3D::Identity(), {}, nullptr};
  const TShaderValue Opacity{TShaderValue::TKind::Vectors, {}, {TVector3D(1, 0, 0, 0)}, nullptr};
  glEnable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  UseShaders(TextureVS.Shader, TexturePS.Shader);
  SetVariable("MVPMatrix", Identity);
  SetVariable("Opacity", Opacity);
  glActiveTexture(GL_TEXTURE0);
  glBindTexture(GL_TEXTURE_2D, Surface);
  DrawTriangles(Quad, Indices);

  // Shapes: one colour, back faces culled.
  glEnable(GL_CULL_FACE);
  UseShaders(ColorVS.Shader, ColorPS.Shader);
  SetVariable("MVPMatrix", Identity);
  SetVariable("MaterialColor", TShaderValue{TShaderValue::TKind::Vectors, {}, {TVector3D(1, 0, 0, 1)}, nullptr});
  SetVariable("Opacity", Opacity);
  DrawTriangles(Quad, Indices);

  // The end of a frame: resolve, read back.
  if (Draw != Framebuffers[0]) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, Draw);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, Framebuffers[0]);
    glBlitFramebuffer(0, 0, Size, Size, 0, 0, Size, Size, GL_COLOR_BUFFER_BIT, GL_NEAREST);
  }
  std::vector<uint32_t> Read(static_cast<size_t>(Size) * Size);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, Framebuffers[0]);
  glReadPixels(0, 0, Size, Size, GL_BGRA, GL_UNSIGNED_BYTE, Read.data());

  // Back to the settings the first context expects.
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  glDeleteFramebuffers(2, Framebuffers);
  glDeleteRenderbuffers(2, Renderbuffers);
  glBindTexture(GL_TEXTURE_2D, 0);
  DeleteObject(TGLObjectKind::Texture, Target);
  DeleteObject(TGLObjectKind::Texture, Surface);
  glUseProgram(0);
  FCurrentProgram = nullptr;
  glDisable(GL_DEPTH_TEST);
  glViewport(OldViewport[0], OldViewport[1], OldViewport[2], OldViewport[3]);
  glFinish();
}

void TGLDevice::SetState(TContextState State) {
  switch (State) {
    case cs2DScene: case cs3DScene: break;  // the context's matrices carry the projection
    case csZTestOn: glEnable(GL_DEPTH_TEST); break;
    case csZTestOff: glDisable(GL_DEPTH_TEST); break;
    case csZWriteOn: glDepthMask(GL_TRUE); FDepthWrite = true; break;
    case csZWriteOff: glDepthMask(GL_FALSE); FDepthWrite = false; break;
    case csAlphaBlendOn: glEnable(GL_BLEND); break;
    case csAlphaBlendOff: glDisable(GL_BLEND); break;
    case csStencilOn: glEnable(GL_STENCIL_TEST); break;
    case csStencilOff: glDisable(GL_STENCIL_TEST); break;
    case csColorWriteOn: glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE); FColorWrite = true; break;
    case csColorWriteOff: glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE); FColorWrite = false; break;
    // A limit keeps the test on; the state's own rectangle is the whole target.
    case csScissorOn: if (!FLimited) glEnable(GL_SCISSOR_TEST); FScissor = true; break;
    case csScissorOff: if (!FLimited) glDisable(GL_SCISSOR_TEST); FScissor = false; break;
    case csFrontFace: glEnable(GL_CULL_FACE); glCullFace(GL_BACK); break;
    case csBackFace: glEnable(GL_CULL_FACE); glCullFace(GL_FRONT); break;
    case csAllFace: glDisable(GL_CULL_FACE); break;
  }
}

void TGLDevice::Clear(bool Color, bool Depth, bool Stencil, TAlphaColor ClearColor, float DepthValue,
                      uint32_t StencilValue) {
  GLbitfield Mask = 0;
  if (Color) {
    glClearColor(((ClearColor >> 16) & 0xFF) / 255.0f, ((ClearColor >> 8) & 0xFF) / 255.0f, (ClearColor & 0xFF) / 255.0f,
                 ((ClearColor >> 24) & 0xFF) / 255.0f);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    Mask |= GL_COLOR_BUFFER_BIT;
  }
  if (Depth) {
    glClearDepth(DepthValue);
    glDepthMask(GL_TRUE);
    Mask |= GL_DEPTH_BUFFER_BIT;
  }
  if (Stencil) {
    glClearStencil(static_cast<GLint>(StencilValue));
    glStencilMask(0xFF);
    Mask |= GL_STENCIL_BUFFER_BIT;
  }
  if (!Mask) return;
  const bool Suspend = FScissor && !FLimited;
  if (Suspend) glDisable(GL_SCISSOR_TEST);
  glClear(Mask);
  if (Suspend) glEnable(GL_SCISSOR_TEST);
  if (!FColorWrite) glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
  if (!FDepthWrite) glDepthMask(GL_FALSE);
}

void TGLDevice::SuspendScissor() {
  if (FScissor || FLimited) glDisable(GL_SCISSOR_TEST);
}

void TGLDevice::ResumeScissor() {
  if (FScissor || FLimited) glEnable(GL_SCISSOR_TEST);
}

void TGLDevice::LimitTo(int X, int Y, int Width, int Height) {
  FLimited = true;
  glScissor(X, Y, Width, Height);
  glEnable(GL_SCISSOR_TEST);
}

void TGLDevice::EndLimit(int TargetWidth, int TargetHeight) {
  if (!FLimited) return;
  FLimited = false;
  glScissor(0, 0, TargetWidth, TargetHeight);
  if (!FScissor) glDisable(GL_SCISSOR_TEST);
}

unsigned TGLDevice::CompileShader(TContextShader& Shader) {
  auto Found = FShaders.find(&Shader);
  if (Found != FShaders.end()) return Found->second;
  const TContextShaderSource* Source = Shader.Source(TContextShaderArch::GLSL);
  if (!Source) throw EInvalidOperation(Format("Shader '%s' has no GLSL form", {Shader.Name()}));
  const GLuint Name =
      glCreateShader(Shader.Kind() == TContextShaderKind::VertexShader ? GL_VERTEX_SHADER : GL_FRAGMENT_SHADER);
  ++FLiveObjects;
  const std::string Code =
      Shader.Kind() == TContextShaderKind::VertexShader && !FClipControl ? WithoutClipControl(Source->Code) : Source->Code;
  const char* CodeText = Code.c_str();
  glShaderSource(Name, 1, &CodeText, nullptr);
  glCompileShader(Name);
  GLint Ok = GL_FALSE;
  glGetShaderiv(Name, GL_COMPILE_STATUS, &Ok);
  if (!Ok) {
    char Log[1024] = {};
    glGetShaderInfoLog(Name, sizeof Log, nullptr, Log);
    DeleteObject(TGLObjectKind::Shader, Name);
    throw EInvalidOperation(Format("Shader '%s' does not compile: %s", {Shader.Name(), Log}));
  }
  FShaders[&Shader] = Name;
  return Name;
}

TGLDevice::TProgram& TGLDevice::ProgramFor(TContextShader* VertexShader, TContextShader* PixelShader) {
  const auto Key = std::make_pair(VertexShader, PixelShader);
  auto Found = FPrograms.find(Key);
  if (Found != FPrograms.end()) return Found->second;
  const GLuint VS = CompileShader(*VertexShader), PS = CompileShader(*PixelShader);
  TProgram Program;
  Program.Name = NewObject(TGLObjectKind::Program);
  glAttachShader(Program.Name, VS);
  glAttachShader(Program.Name, PS);
  glBindAttribLocation(Program.Name, 0, "a_Position");
  glBindAttribLocation(Program.Name, 1, "a_Normal");
  glBindAttribLocation(Program.Name, 2, "a_TexCoord0");
  glBindAttribLocation(Program.Name, 3, "a_Binormal");
  glBindAttribLocation(Program.Name, 4, "a_Tangent");
  glLinkProgram(Program.Name);
  GLint Ok = GL_FALSE;
  glGetProgramiv(Program.Name, GL_LINK_STATUS, &Ok);
  if (!Ok) {
    char Log[1024] = {};
    glGetProgramInfoLog(Program.Name, sizeof Log, nullptr, Log);
    DeleteObject(TGLObjectKind::Program, Program.Name);
    throw EInvalidOperation(Format("Shaders '%s' and '%s' do not link: %s", {VertexShader->Name(), PixelShader->Name(), Log}));
  }
  // Each sampler gets its own texture unit, in the order GL lists the uniforms.
  glUseProgram(Program.Name);
  GLint Count = 0;
  glGetProgramiv(Program.Name, GL_ACTIVE_UNIFORMS, &Count);
  int Units = 0;
  for (GLint I = 0; I < Count; ++I) {
    char Name[256] = {};
    GLint Size = 0;
    GLenum Type = 0;
    glGetActiveUniform(Program.Name, static_cast<GLuint>(I), sizeof Name, nullptr, &Size, &Type, Name);
    TUniform U;
    U.Location = glGetUniformLocation(Program.Name, Name);
    U.Type = Type;
    if (Type == GL_SAMPLER_2D) {
      U.TextureUnit = Units++;
      glUniform1i(U.Location, U.TextureUnit);
    }
    std::string Key(Name);
    // Arrays are listed as "name[0]"; variables are set by their plain name.
    if (Key.size() > 3 && Key.compare(Key.size() - 3, 3, "[0]") == 0) Key.resize(Key.size() - 3);
    Program.Uniforms[Key] = U;
  }
  return FPrograms[Key] = std::move(Program);
}

void TGLDevice::UseShaders(TContextShader* VertexShader, TContextShader* PixelShader) {
  TProgram& Program = ProgramFor(VertexShader, PixelShader);
  if (FCurrentProgram != &Program) glUseProgram(Program.Name);
  FCurrentProgram = &Program;
}

void TGLDevice::SetVariable(const std::string& Name, const TShaderValue& Value) {
  if (!FCurrentProgram) return;
  auto Found = FCurrentProgram->Uniforms.find(Name);
  if (Found == FCurrentProgram->Uniforms.end()) return;
  const TUniform& U = Found->second;
  switch (Value.Kind) {
    case TShaderValue::TKind::Matrix:
      // Row-major as the scene stores it: GLSL reads the transpose, so M * v in the program is
      // the scene's row-vector product v × M.
      if (U.Type == GL_FLOAT_MAT4) glUniformMatrix4fv(U.Location, 1, GL_FALSE, &Value.Matrix.m11);
      break;
    case TShaderValue::TKind::Vectors: {
      if (Value.Vectors.empty()) break;
      const float* V = &Value.Vectors[0].X;
      const GLsizei N = static_cast<GLsizei>(Value.Vectors.size());
      if (U.Type == GL_FLOAT_VEC4) glUniform4fv(U.Location, N, V);
      else if (U.Type == GL_FLOAT_VEC3) glUniform3f(U.Location, V[0], V[1], V[2]);
      else if (U.Type == GL_FLOAT_VEC2) glUniform2f(U.Location, V[0], V[1]);
      else if (U.Type == GL_FLOAT) glUniform1f(U.Location, V[0]);
      break;
    }
    case TShaderValue::TKind::Texture:
      if (U.TextureUnit < 0) break;
      glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(U.TextureUnit));
      glBindTexture(GL_TEXTURE_2D, Value.Texture ? PrepareTexture(*Value.Texture) : 0);
      break;
  }
}

void TGLDevice::DrawTriangles(const TVertexBuffer& Vertices, const TIndexBuffer& Indices) {
  if (!FCurrentProgram || Vertices.Length() == 0 || Indices.Length() == 0) return;
  assert(*std::max_element(Indices.Data(), Indices.Data() + Indices.Length()) < static_cast<uint32_t>(Vertices.Length()));
  glBindVertexArray(FVertexArray);
  // Fresh storage each draw, so the driver never waits for the previous draw's data.
  glBindBuffer(GL_ARRAY_BUFFER, FVertexBuffer);
  glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(Vertices.Length()) * static_cast<GLsizeiptr>(sizeof(TMeshVertex)),
               Vertices.Data(), GL_STREAM_DRAW);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(Indices.Length()) * static_cast<GLsizeiptr>(sizeof(uint32_t)),
               Indices.Data(), GL_STREAM_DRAW);
  glDrawElements(GL_TRIANGLES, Indices.Length(), GL_UNSIGNED_INT, nullptr);
}
