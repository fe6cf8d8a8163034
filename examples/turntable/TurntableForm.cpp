#include "TurntableForm.h"

#include <algorithm>
#include <cmath>

#include "scene3d/Cylinder.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Timer.h"
#include "shell/controls/Button.h"
#include "shell/controls/InputTypes.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/HandlerTrace.h"

TTurntableForm* TurntableForm = nullptr;

const TMetaClass& TTurntableForm::StaticClass() {
  return ClassRecord<TTurntableForm>("TTurntableForm", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Field("Viewport3D1", &TTurntableForm::Viewport3D1);
    B.Field("Cylinder1", &TTurntableForm::Cylinder1);
    B.Field("Panel1", &TTurntableForm::Panel1);
    B.Field("Button1", &TTurntableForm::Button1);
    B.Field("TrackBar1", &TTurntableForm::TrackBar1);
    B.Field("Timer1", &TTurntableForm::Timer1);
    B.Field("ColorMaterialSource1", &TTurntableForm::ColorMaterialSource1);
    B.Method("FormCreate", &TTurntableForm::FormCreate);
    B.Method("FormKeyDown", &TTurntableForm::FormKeyDown, &TypeInfos::KeyEvent());
    B.Method("Button1Click", &TTurntableForm::Button1Click);
    B.Method("TrackBar1Change", &TTurntableForm::TrackBar1Change);
    B.Method("Timer1Timer", &TTurntableForm::Timer1Timer);
  });
}

TTurntableForm::TTurntableForm(TComponent* AOwner) : TForm(AOwner) {}

void TTurntableForm::FormCreate(TObject*) {
  TraceHandler("FormCreate");
  // Tilted towards the viewer, so that the turning shows.
  Cylinder1->RotationAngle()->SetX(30);
  SetTurning(true);
}

void TTurntableForm::SetTurning(bool Turning) {
  Timer1->SetEnabled(Turning);
  Button1->SetText(Turning ? "Stop" : "Turn");
}

void TTurntableForm::Button1Click(TObject*) {
  TraceHandler("Button1Click");
  SetTurning(!Timer1->Enabled());
}

void TTurntableForm::TrackBar1Change(TObject*) {
  TraceHandler("TrackBar1Change");
  // A still turntable shows the new speed on its next start; a turning one at its next tick.
}

void TTurntableForm::Timer1Timer(TObject*) {
  TraceHandler("Timer1Timer");
  const float Angle = Cylinder1->RotationAngle()->Y() + TrackBar1->Value();
  Cylinder1->RotationAngle()->SetY(std::fmod(Angle, 360.0f));
}

void TTurntableForm::FormKeyDown(TObject*, uint16_t& Key, char32_t& KeyChar, TShiftState) {
  TraceHandler("FormKeyDown");
  if (Key == vkLeft || Key == vkRight) {
    const float Step = Key == vkLeft ? -1 : 1;
    TrackBar1->SetValue(std::clamp(TrackBar1->Value() + Step, TrackBar1->Min(), TrackBar1->Max()));
    // Handled here: the focused control does not step it again.
    Key = 0;
  } else if (Key == vkSpace || KeyChar == U' ') {
    SetTurning(!Timer1->Enabled());
    Key = 0;
    KeyChar = 0;
  } else if (Key == vkHome) {
    Cylinder1->RotationAngle()->SetY(0);
    Key = 0;
  }
}
