#include "game/Register.h"

#include "game/Unit1.h"
#include "scene3d/Register.h"
#include "shell/app/Timer.h"
#include "shell/controls/Register.h"

void RegisterGameClasses() {
  RegisterControlClasses();
  RegisterScene3DClasses();
  RegisterClass(TTimer::StaticClass());
  RegisterClass(TForm1::StaticClass());
}
