#include "game/Register.h"

#include "game/Unit1.h"
#include "scene3d/Register.h"

void RegisterGameClasses() {
  RegisterFrameworkClasses();
  RegisterClass(TForm1::StaticClass());
}
