#include "game/Unit1.h"

#include <cmath>

#include "scene3d/Cylinder.h"
#include "scene3d/Layer3D.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Timer.h"
#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"

TForm1* Form1 = nullptr;
std::function<void(const char*)> TForm1::HandlerTrace;

namespace {
void Trace(const char* Handler) {
  if (TForm1::HandlerTrace) TForm1::HandlerTrace(Handler);
}
}  // namespace

const TMetaClass& TForm1::StaticClass() {
  return ClassRecord<TForm1>("TForm1", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Field("Viewport3D1", &TForm1::Viewport3D1);
    B.Field("Panel1", &TForm1::Panel1);
    B.Field("Cylinder1", &TForm1::Cylinder1);
    B.Field("Layer3D1", &TForm1::Layer3D1);
    B.Field("Timer1", &TForm1::Timer1);
    B.Field("TrackBar1", &TForm1::TrackBar1);
    B.Field("Button1", &TForm1::Button1);
    B.Field("Cylinder2", &TForm1::Cylinder2);
    B.Field("Cylinder3", &TForm1::Cylinder3);
    B.Field("Timer2", &TForm1::Timer2);
    B.Field("ColorMaterialSource1", &TForm1::ColorMaterialSource1);
    B.Method("TrackBar1Change", &TForm1::TrackBar1Change);
    B.Method("Button1Click", &TForm1::Button1Click);
    B.Method("Timer1Timer", &TForm1::Timer1Timer);
    B.Method("Timer2Timer", &TForm1::Timer2Timer);
    B.Method("FormCreate", &TForm1::FormCreate);
  });
}

TForm1::TForm1(TComponent* AOwner) : TForm(AOwner) {}

float TForm1::RespawnColumn() const {
  return static_cast<float>(std::trunc(static_cast<long double>(Layer3D1->Width()) / 2));
}

void TForm1::FormCreate(TObject*) {
  Trace("FormCreate");
  Cylinder2->Position()->SetX(RespawnColumn());
}

void TForm1::Button1Click(TObject*) {
  Trace("Button1Click");
  Cylinder1->Position()->SetX(0);
  Cylinder1->Position()->SetY(0);
  Cylinder1->Position()->SetZ(-10);
  Timer1->SetEnabled(true);
}

void TForm1::TrackBar1Change(TObject*) {
  Trace("TrackBar1Change");
  Cylinder1->RotationAngle()->SetY(TrackBar1->Value());
}

void TForm1::Timer1Timer(TObject*) {
  Trace("Timer1Timer");
  const float A = static_cast<float>(static_cast<long double>(Cylinder1->RotationAngle()->Y()) * cPIdiv180);
  TPosition3D& Torpedo = *Cylinder1->Position();
  Torpedo.SetX(static_cast<float>(static_cast<long double>(Torpedo.X()) + 2 * std::sin(static_cast<long double>(A))));
  Torpedo.SetZ(static_cast<float>(static_cast<long double>(Torpedo.Z()) + 2 * std::cos(static_cast<long double>(A))));

  const long double TX = Torpedo.X(), TZ = Torpedo.Z();
  const long double SX = Cylinder2->Position()->X(), SZ = Cylinder2->Position()->Z();
  const long double W = Cylinder2->Width(), D = Cylinder2->Depth();
  if (!(TX >= SX)) return;
  if (!(SX + W >= TX)) return;
  if (TZ > SZ) return;
  if (SZ - D > TZ) return;
  Cylinder2->Position()->SetX(RespawnColumn());
}

void TForm1::Timer2Timer(TObject*) {
  Trace("Timer2Timer");
  TPosition3D& Ship = *Cylinder2->Position();
  Ship.SetX(static_cast<float>(static_cast<long double>(Ship.X()) - 1));
  if (std::fabs(static_cast<long double>(Ship.X())) > static_cast<long double>(Layer3D1->Width()) / 2)
    Ship.SetX(RespawnColumn());
}
