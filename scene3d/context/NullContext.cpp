#include "scene3d/context/NullContext.h"

#include "scene3d/context/Texture.h"

TNullContext::TNullContext(TTexture* ATexture, TMultisample AMultisample, bool ADepthStencil)
    : TContext3D(ATexture, ATexture ? ATexture->Width() : 0, ATexture ? ATexture->Height() : 0,
                 ATexture ? ATexture->TextureScale() : 1, AMultisample, ADepthStencil) {}
