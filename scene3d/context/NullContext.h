#pragma once
// TNullContext: the context used when no 3D device can be made. It draws nothing and its
// BeginScene always reports failure, so a viewport on it shows no scene and nobody has to
// check for a missing device.
#include <string>

#include "scene3d/context/Context3D.h"

class TNullContext : public TContext3D {
 public:
  TNullContext(TTexture* ATexture, TMultisample AMultisample, bool ADepthStencil);

  static const char* ClassName() { return "TNullContext"; }
  std::string DeviceName() const override { return ClassName(); }

 protected:
  bool DoBeginScene() override { return false; }
  void DoEndScene() override {}
  void DoClear(TClearTargets, TAlphaColor, float, uint32_t) override {}
  void DoSetContextState(TContextState) override {}
  void DoSetShaders(TContextShader*, TContextShader*) override {}
  void DoSetShaderVariable(const std::string&, const TShaderValue&) override {}
  void DoDrawTriangles(const TVertexBuffer&, const TIndexBuffer&) override {}
  // The bitmap keeps whatever it held.
  void DoCopyToBitmap(TBitmap&, const TTargetRect&) override {}
};
