#include "scene3d/Register.h"

#include "scene3d/Camera.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Dummy.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Light.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Register.h"
#include "shell/controls/Register.h"
#include "shell/forms/Form.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleBook.h"
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
  // The styles, and the background lookups of the form and of layers, which live above them.
  InitializeStyles();
  TCustomForm::SetStyleLookupFunction([](TCustomForm& Form, const std::string& Name) {
    return LookupStyleCopy(&Form, StyleBookOf(&Form), {Name});
  });
  TCustomLayer3D::SetStyleLookupFunction([](TComponent* StyleBook, const std::vector<std::string>& Names) {
    return LookupStyleCopy(nullptr, StyleBook, Names);
  });
}
