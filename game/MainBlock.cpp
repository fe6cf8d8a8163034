#include "game/MainBlock.h"

#include "game/Unit1.h"
#include "shell/app/Application.h"

void MainBlock() {
  Application->Initialize();
  Application->FormFactor()->SetOrientations({TScreenOrientation::Landscape});
  Application->CreateForm(Form1);
  Application->Run();
}
