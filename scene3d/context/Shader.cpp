#include "scene3d/context/Shader.h"

#include <map>
#include <memory>
#include <mutex>

TContextShader::TContextShader(std::string Name, TContextShaderKind Kind, std::vector<TContextShaderSource> Sources)
    : FName(std::move(Name)), FKind(Kind), FSources(std::move(Sources)) {}

const TContextShaderSource* TContextShader::Source(TContextShaderArch Arch) const {
  for (const TContextShaderSource& S : FSources)
    if (S.Arch == Arch) return &S;
  return nullptr;
}

std::string TContextShader::Key() const {
  // Appended piece by piece: GCC 12 warns falsely (-Wrestrict) on string + literal chains.
  std::string K = FName;
  K += FKind == TContextShaderKind::VertexShader ? "|vs" : "|ps";
  for (const TContextShaderSource& S : FSources) {
    K += '|';
    K += std::to_string(static_cast<int>(S.Arch));
    K += ':';
    K += std::to_string(S.Code.size());
  }
  return K;
}

namespace {
struct TEntry {
  std::unique_ptr<TContextShader> Shader;
  int Users = 0;
};

// The device may be readied on a worker thread while the main thread makes materials.
std::mutex GRegistryLock;

std::map<std::string, TEntry>& Registry() {
  static std::map<std::string, TEntry> Entries;
  return Entries;
}

using V = TContextShaderVariable;
using K = TContextShaderVariableKind;

// The programs in GLSL 3.30. Matrices arrive row-major as the scene stores them, which GLSL
// reads as the transpose; M * v then equals the scene's row-vector product v × M.
const char* const ColorVS = R"(#version 330 core
layout(location = 0) in vec3 a_Position;
uniform mat4 MVPMatrix;
void main() { gl_Position = MVPMatrix * vec4(a_Position, 1.0); }
)";

const char* const ColorPS = R"(#version 330 core
uniform vec4 MaterialColor;
uniform vec4 Opacity;
out vec4 FragColor;
void main() { FragColor = MaterialColor * Opacity.x; }
)";

const char* const TextureVS = R"(#version 330 core
layout(location = 0) in vec3 a_Position;
layout(location = 2) in vec2 a_TexCoord0;
uniform mat4 MVPMatrix;
out vec2 TexCoord;
void main() {
  gl_Position = MVPMatrix * vec4(a_Position, 1.0);
  TexCoord = a_TexCoord0;
}
)";

const char* const TexturePS = R"(#version 330 core
uniform sampler2D texture0;
uniform vec4 Opacity;
in vec2 TexCoord;
out vec4 FragColor;
void main() { FragColor = texture(texture0, TexCoord) * Opacity.x; }
)";

const char* const TextureFlipPS = R"(#version 330 core
uniform sampler2D texture0;
uniform vec4 Opacity;
in vec2 TexCoord;
out vec4 FragColor;
void main() { FragColor = texture(texture0, vec2(TexCoord.x, 1.0 - TexCoord.y)) * Opacity.x; }
)";

TContextShader MakeBuiltin(const std::string& Name) {
  if (Name == "color.fvs")
    return TContextShader(Name, TContextShaderKind::VertexShader,
                          {{TContextShaderArch::GLSL, ColorVS, {V{"MVPMatrix", K::Matrix, 0, 4}}}});
  if (Name == "color.fps")
    return TContextShader(Name, TContextShaderKind::PixelShader,
                          {{TContextShaderArch::GLSL, ColorPS, {V{"MaterialColor", K::Vector, 0, 1}, V{"Opacity", K::Float, 1, 1}}}});
  if (Name == "texture.fvs")
    return TContextShader(Name, TContextShaderKind::VertexShader,
                          {{TContextShaderArch::GLSL, TextureVS, {V{"MVPMatrix", K::Matrix, 0, 4}}}});
  if (Name == "texture.fps")
    return TContextShader(Name, TContextShaderKind::PixelShader,
                          {{TContextShaderArch::GLSL, TexturePS, {V{"texture0", K::Texture, 0, 0}, V{"Opacity", K::Float, 0, 1}}}});
  return TContextShader(Name, TContextShaderKind::PixelShader,
                        {{TContextShaderArch::GLSL, TextureFlipPS, {V{"texture0", K::Texture, 0, 0}, V{"Opacity", K::Float, 0, 1}}}});
}
}  // namespace

TContextShader* TShaderManager::GetBuiltin(const std::string& Name) {
  static const char* const Names[] = {"color.fvs", "color.fps", "texture.fvs", "texture.fps", "texture_flip.fps"};
  for (const char* N : Names)
    if (Name == N) return RegisterShader(MakeBuiltin(Name));
  return nullptr;
}

TContextShader* TShaderManager::RegisterShader(const TContextShader& Shader) {
  const std::lock_guard<std::mutex> Lock(GRegistryLock);
  TEntry& E = Registry()[Shader.Key()];
  if (!E.Shader) E.Shader = std::make_unique<TContextShader>(Shader);
  ++E.Users;
  return E.Shader.get();
}

void TShaderManager::UnregisterShader(TContextShader* Shader) {
  // Programs stay registered for the life of the process; only the count of users drops.
  const std::lock_guard<std::mutex> Lock(GRegistryLock);
  for (auto& [Key, E] : Registry())
    if (E.Shader.get() == Shader && E.Users > 0) --E.Users;
}

int TShaderManager::Users(const TContextShader* Shader) {
  const std::lock_guard<std::mutex> Lock(GRegistryLock);
  for (auto& [Key, E] : Registry())
    if (E.Shader.get() == Shader) return E.Users;
  return 0;
}

std::vector<TContextShader*> TShaderManager::Shaders() {
  const std::lock_guard<std::mutex> Lock(GRegistryLock);
  std::vector<TContextShader*> Result;
  for (auto& [Key, E] : Registry()) Result.push_back(E.Shader.get());
  return Result;
}
