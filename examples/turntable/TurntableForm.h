#pragma once
// The turntable: a block in a 3D view turns while its timer runs; the slider sets how many
// degrees a tick turns it, the button stops and starts it, and the keyboard does both (Left and
// Right step the speed, space stops or starts, Home turns it back to 0).
#include "shell/forms/Form.h"

class TButton;
class TColorMaterialSource;
class TCylinder;
class TPanel;
class TTimer;
class TTrackBar;
class TViewport3D;

class TTurntableForm : public TForm {
  KLV_CLASS(TTurntableForm)
 public:
  explicit TTurntableForm(TComponent* AOwner);

  // Published fields: the stored form's components of the same names.
  TViewport3D* Viewport3D1 = nullptr;
  TCylinder* Cylinder1 = nullptr;
  TPanel* Panel1 = nullptr;
  TButton* Button1 = nullptr;
  TTrackBar* TrackBar1 = nullptr;
  TTimer* Timer1 = nullptr;
  TColorMaterialSource* ColorMaterialSource1 = nullptr;

  // Published handlers, named by the stored form's events.
  void FormCreate(TObject* Sender);
  void FormKeyDown(TObject* Sender, uint16_t& Key, char32_t& KeyChar, TShiftState Shift);
  void Button1Click(TObject* Sender);
  void TrackBar1Change(TObject* Sender);
  void Timer1Timer(TObject* Sender);

 private:
  // Stops or starts the turning; the button says what it would do next.
  void SetTurning(bool Turning);
};

extern TTurntableForm* TurntableForm;
