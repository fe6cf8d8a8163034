#include "scene3d/Register.h"

#include "scene3d/Camera.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Light.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Register.h"
#include "shell/controls/BackgroundStyle.h"
#include "shell/controls/Register.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleLookup.h"

void RegisterScene3DClasses() {
  for (const TMetaClass* C : {&TViewport3D::StaticClass(), &TDummy::StaticClass(), &TCamera::StaticClass(),
                              &TLight::StaticClass(), &TCylinder::StaticClass(), &TLayer3D::StaticClass(),
                              &TColorMaterialSource::StaticClass()})
    RegisterClass(*C);
}

void RegisterFrameworkClasses() {
  RegisterControlClasses();
  RegisterScene3DClasses();
  RegisterAppClasses();
  // The styles, and the backgrounds of forms and layers taken from them.
  InitializeStyles();
  SetBackgroundStyleLookup(LookupStyleCopy);
}
