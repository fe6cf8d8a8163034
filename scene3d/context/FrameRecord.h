#pragma once
// TFrameRecord: what one scene of a context sent towards the device, kept until the scene ends
// so that the device gets it then, limited to the pixels that can differ from the scene before
// (the damage). Every draw is kept with everything that decides its pixels: the render states,
// the programs, the values of the programs' variables (a texture by its content), the world ×
// camera × projection, the vertices and the indices.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scene3d/context/Context3D.h"

class TContextShader;

// A variable's value as a draw used it: a texture counts with the stamp of its pixels then.
struct TRecordedValue {
  TShaderValue Value;
  uint64_t TextureStamp = 0;
  bool operator==(const TRecordedValue& Other) const;
};

struct TRecordedDraw {
  // One bit per current TContextState.
  uint32_t States = 0;
  TContextShader* VertexShader = nullptr;
  TContextShader* PixelShader = nullptr;
  // Every variable set on the draw's programs, by name.
  std::vector<std::pair<std::string, TRecordedValue>> Variables;
  TVertexBuffer Vertices;
  TIndexBuffer Indices;
  // Whether the programs place the vertices with MVP; a draw that places them otherwise may
  // reach any pixel.
  bool Projected = false;
  TMatrix3D MVP;

  // Whether the two give the same pixels over the same target contents.
  bool SamePixels(const TRecordedDraw& Other) const;
  // The pixels of a Width × Height target that the draw can change: its triangles cut at the
  // near plane, projected, rounded outwards and grown by Margin pixels on every side (for the
  // samples of multisampling and the rasteriser's own snapping), within the target.
  TTargetRect Bounds(int Width, int Height) const;
  static constexpr int Margin = 2;
};

class TFrameRecord {
 public:
  enum class TKind { Clear, State, Shaders, Variable, Draw };
  struct TCommand {
    TKind Kind = TKind::State;
    TContextState State = csScissorOff;
    // Clear: the clear's index; Draw: the draw's.
    size_t Index = 0;
    TContextShader* VertexShader = nullptr;
    TContextShader* PixelShader = nullptr;
    std::string Name;
    TShaderValue Value;
  };
  struct TClear {
    TClearTargets Targets;
    TAlphaColor Color = 0;
    float Depth = 0;
    uint32_t Stencil = 0;
    // Draws made before it in the scene.
    size_t DrawsBefore = 0;
    bool operator==(const TClear& Other) const;
  };

  void Reset();
  void AddState(TContextState State);
  void AddClear(TClearTargets Targets, TAlphaColor Color, float Depth, uint32_t Stencil);
  void AddShaders(TContextShader* VertexShader, TContextShader* PixelShader);
  void AddVariable(const std::string& Name, const TShaderValue& Value);
  // Draw is filled by the caller but for States, programs and variables, taken here.
  void AddDraw(TRecordedDraw Draw);

  const std::vector<TCommand>& Commands() const { return FCommands; }
  const std::vector<TRecordedDraw>& Draws() const { return FDraws; }
  const std::vector<TClear>& Clears() const { return FClears; }

  // What the whole frame shares: the camera, its angle of view and the lights, as the scene
  // ended; a change of any of them repaints everything.
  TMatrix3D Camera;
  float AngleOfView = 0;
  std::vector<TLightDescription> Lights;

  // The pixels of a Width × Height target that can differ between the frame Before left and
  // the one After draws: everything when the clears or what the whole frame shares differ;
  // otherwise, draws being matched by their order, the bounds of each draw that has no equal
  // in the other frame at its place, before and after. A pixel outside them is met, in both
  // frames, by the same draws in the same order over the same clears.
  static TTargetRect Damage(const TFrameRecord& Before, const TFrameRecord& After, int Width, int Height);

  // Hands the frame (commands, draws, clears and what the frame shares) to Target. The program
  // in use and the variables every program was given stay: the device keeps them from scene to
  // scene.
  void MoveFrameTo(TFrameRecord& Target);

 private:
  using TProgramKey = std::pair<TContextShader*, TContextShader*>;
  std::vector<TCommand> FCommands;
  std::vector<TRecordedDraw> FDraws;
  std::vector<TClear> FClears;
  TProgramKey FProgram{nullptr, nullptr};
  std::vector<std::pair<TProgramKey, std::vector<std::pair<std::string, TRecordedValue>>>> FProgramVariables;
};
