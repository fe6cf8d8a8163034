// The turntable, a program of its own on the framework: its classes registered, its form read
// from the embedded resource "TTURNTABLEFORM", the loop run. The framework's start-up also
// takes --headless-script FILE (a test without a display), --play FILE and --record FILE.
#include <iostream>

#include "TurntableForm.h"
#include "scene3d/Register.h"
#include "scene3d/context/ContextManager.h"
#include "shell/app/Application.h"

int main() {
  RegisterFrameworkClasses();
  RegisterClass(TTurntableForm::StaticClass());
  int Status = 0;
  try {
    Application->Initialize();
    Application->CreateForm(TurntableForm);
    Application->Run();
  } catch (...) {
    // A form that cannot be read (its resource missing or broken) ends the program, saying why.
    Application->ReportStartupException();
    Status = 1;
  }
  TContextManager::EndDevicePreparation();
  return Status;
}
