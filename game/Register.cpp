#include "game/Register.h"

#include "game/Unit1.h"
#include "scene3d/Layer3D.h"
#include "scene3d/Register.h"
#include "shell/app/Register.h"
#include "shell/controls/Register.h"
#include "shell/forms/Form.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleBook.h"
#include "shell/styles/StyleLookup.h"

void RegisterGameClasses() {
  RegisterControlClasses();
  RegisterScene3DClasses();
  RegisterAppClasses();
  RegisterClass(TForm1::StaticClass());
  // The styles, and the background lookups of the form and of layers, which live above them.
  InitializeStyles();
  TCustomForm::SetStyleLookupFunction([](TCustomForm& Form, const std::string& Name) {
    return LookupStyleCopy(&Form, StyleBookOf(&Form), {Name});
  });
  TCustomLayer3D::SetStyleLookupFunction([](TComponent* StyleBook, const std::vector<std::string>& Names) {
    return LookupStyleCopy(nullptr, StyleBook, Names);
  });
}
