#include "shell/app/Register.h"

#include "shell/app/Timer.h"
#include "shell/forms/Form.h"

void RegisterAppClasses() {
  RegisterClass(TTimer::StaticClass());
  RegisterClass(TForm::StaticClass());
}
