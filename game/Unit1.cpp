#include "game/Unit1.h"

#include <cmath>

#include "scene3d/Cylinder.h"
#include "scene3d/Layer3D.h"
#include "scene3d/MaterialSource.h"
#include "scene3d/Viewport3D.h"
#include "shell/app/Timer.h"
#include "shell/core/Exceptions.h"
#include "shell/core/HandlerTrace.h"
#include "shell/controls/Button.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"

TForm1* Form1 = nullptr;

namespace {
void Trace(const char* Handler) { TraceHandler(Handler); }

// A stored form edited by hand may lack a component that a handler moves (or name another
// class so): the handler stops with a message, which an error box shows, and the game goes on.
template <class T>
T& Need(T* Component, const char* Name) {
  if (!Component) throw EInvalidOperation(Format("%s is missing from the form", {Name}));
  return *Component;
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
  return static_cast<float>(std::trunc(static_cast<long double>(Need(Layer3D1, "Layer3D1").Width()) / 2));
}

void TForm1::FormCreate(TObject*) {
  Trace("FormCreate");
  const float Column = RespawnColumn();
  Need(Cylinder2, "Cylinder2").Position()->SetX(Column);
}

void TForm1::Button1Click(TObject*) {
  Trace("Button1Click");
  TCylinder& Torpedo = Need(Cylinder1, "Cylinder1");
  TTimer& Run = Need(Timer1, "Timer1");
  Torpedo.Position()->SetX(0);
  Torpedo.Position()->SetY(0);
  Torpedo.Position()->SetZ(-10);
  Run.SetEnabled(true);
}

void TForm1::TrackBar1Change(TObject*) {
  Trace("TrackBar1Change");
  Need(Cylinder1, "Cylinder1").RotationAngle()->SetY(Need(TrackBar1, "TrackBar1").Value());
}

void TForm1::Timer1Timer(TObject*) {
  Trace("Timer1Timer");
  TCylinder& Torpedo3D = Need(Cylinder1, "Cylinder1");
  TCylinder& Ship3D = Need(Cylinder2, "Cylinder2");
  const float A = static_cast<float>(static_cast<long double>(Torpedo3D.RotationAngle()->Y()) * cPIdiv180);
  TPosition3D& Torpedo = *Torpedo3D.Position();
  Torpedo.SetX(static_cast<float>(static_cast<long double>(Torpedo.X()) + 2 * std::sin(static_cast<long double>(A))));
  Torpedo.SetZ(static_cast<float>(static_cast<long double>(Torpedo.Z()) + 2 * std::cos(static_cast<long double>(A))));

  const long double TX = Torpedo.X(), TZ = Torpedo.Z();
  const long double SX = Ship3D.Position()->X(), SZ = Ship3D.Position()->Z();
  const long double W = Ship3D.Width(), D = Ship3D.Depth();
  if (!(TX >= SX)) return;
  if (!(SX + W >= TX)) return;
  if (TZ > SZ) return;
  if (SZ - D > TZ) return;
  Ship3D.Position()->SetX(RespawnColumn());
}

void TForm1::Timer2Timer(TObject*) {
  Trace("Timer2Timer");
  TPosition3D& Ship = *Need(Cylinder2, "Cylinder2").Position();
  const TLayer3D& Sea = Need(Layer3D1, "Layer3D1");
  Ship.SetX(static_cast<float>(static_cast<long double>(Ship.X()) - 1));
  if (std::fabs(static_cast<long double>(Ship.X())) > static_cast<long double>(Sea.Width()) / 2)
    Ship.SetX(RespawnColumn());
}
