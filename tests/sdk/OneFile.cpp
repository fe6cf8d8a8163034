// One file on the installed framework, built with pkg-config alone:
//   g++ OneFile.cpp $(pkg-config --cflags --libs kelvane)
// It makes a form in code, with a button and a 3D view holding a cylinder, and prints it in the
// text notation of stored forms: what a form file for it would hold.
#include <iostream>

#include "scene3d/Cylinder.h"
#include "scene3d/Register.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Application.h"
#include "shell/controls/Button.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Writer.h"

int main() {
  RegisterFrameworkClasses();
  TForm* Form = NewForm<TForm>(Application, TCreateNew{});
  Form->SetName("OneFile");
  Form->SetCaption("One file");
  auto* Button = new TButton(Form);
  Button->SetName("Button1");
  Button->SetParent(Form);
  Button->SetText("Press");
  auto* View = new TViewport3D(Form);
  View->SetName("Viewport3D1");
  View->SetParent(Form);
  auto* Cylinder = new TCylinder(Form);
  Cylinder->SetName("Cylinder1");
  Cylinder->SetParent(View);
  TBytesStream Stream;
  {
    TWriter Writer(Stream);
    Writer.WriteRootComponent(Form);
  }
  std::cout << ObjectBinaryToText(Stream.Bytes());
  Form->Free();
  return 0;
}
