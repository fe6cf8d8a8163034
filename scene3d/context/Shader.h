#pragma once
// Shader programs and their process-wide registry. A program has a name, a kind, a source per
// device family and its declared variables; materials share one registered program per name,
// and a device makes it ready the first time it is bound.
#include <string>
#include <vector>

enum class TContextShaderKind { VertexShader, PixelShader };
enum class TContextShaderArch { DX9, DX11_level_9, GLSL };
enum class TContextShaderVariableKind { Float, Float2, Float3, Vector, Matrix, Texture };

struct TContextShaderVariable {
  std::string Name;
  TContextShaderVariableKind Kind;
  int Index = 0;
  int Size = 0;
};

struct TContextShaderSource {
  TContextShaderArch Arch;
  std::string Code;
  std::vector<TContextShaderVariable> Variables;
};

class TContextShader {
 public:
  TContextShader(std::string Name, TContextShaderKind Kind, std::vector<TContextShaderSource> Sources);
  const std::string& Name() const { return FName; }
  TContextShaderKind Kind() const { return FKind; }
  // The source for Arch, or nullptr when the program has none for that family.
  const TContextShaderSource* Source(TContextShaderArch Arch) const;
  // The key under which the registry shares the program: name, kind and forms.
  std::string Key() const;

  // Device object made from the program by the back end that first bound it.
  unsigned DeviceHandle = 0;

 private:
  std::string FName;
  TContextShaderKind FKind;
  std::vector<TContextShaderSource> FSources;
};

// Registry of programs, one per key for the life of the process, counted by reference.
class TShaderManager {
 public:
  // The built-in program of that name ("color.fvs", "color.fps", "texture.fvs",
  // "texture.fps", "texture_flip.fps"), registered on first request; nullptr for other names.
  static TContextShader* GetBuiltin(const std::string& Name);
  // Registers Shader (or finds the one already registered under its key) and counts a user.
  static TContextShader* RegisterShader(const TContextShader& Shader);
  // Counts a user less; the program itself stays registered.
  static void UnregisterShader(TContextShader* Shader);
  // How many users the registered program Shader has (0 for a program not registered).
  static int Users(const TContextShader* Shader);
  // Every registered program, for back ends that release device objects.
  static std::vector<TContextShader*> Shaders();
};
