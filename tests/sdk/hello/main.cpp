// A program of its own on the installed framework: its form is read from the resource
// "THELLOFORM", embedded by kelvane_add_resources.
#include "HelloForm.h"
#include "scene3d/Register.h"
#include "shell/app/Application.h"

int main() {
  RegisterFrameworkClasses();
  RegisterClass(THelloForm::StaticClass());
  try {
    Application->Initialize();
    Application->CreateForm(HelloForm);
    Application->Run();
  } catch (...) {
    Application->ReportStartupException();
    return 1;
  }
  return 0;
}
