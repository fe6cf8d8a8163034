#pragma once
// The game's form: the sea, the ship, the torpedo and the control panel, all read from the
// stored description "TFORM1", and the five handlers that are the game's rules.
#include <functional>

#include "shell/forms/Form.h"

class TViewport3D;
class TPanel;
class TCylinder;
class TLayer3D;
class TTimer;
class TTrackBar;
class TButton;
class TColorMaterialSource;

class TForm1 : public TForm {
  KLV_CLASS(TForm1)
 public:
  explicit TForm1(TComponent* AOwner);

  TViewport3D* Viewport3D1 = nullptr;
  TPanel* Panel1 = nullptr;
  TCylinder* Cylinder1 = nullptr;
  TLayer3D* Layer3D1 = nullptr;
  TTimer* Timer1 = nullptr;
  TTrackBar* TrackBar1 = nullptr;
  TButton* Button1 = nullptr;
  TCylinder* Cylinder2 = nullptr;
  TCylinder* Cylinder3 = nullptr;
  TTimer* Timer2 = nullptr;
  TColorMaterialSource* ColorMaterialSource1 = nullptr;

  // Aim: the slider's value becomes the torpedo's heading.
  void TrackBar1Change(TObject* Sender);
  // Fire: the torpedo back at its launch point, running.
  void Button1Click(TObject* Sender);
  // Torpedo tick: two units along its heading, then the hit test.
  void Timer1Timer(TObject* Sender);
  // Ship tick: one unit left, back to the respawn column once off the sea.
  void Timer2Timer(TObject* Sender);
  // The ship starts at the respawn column.
  void FormCreate(TObject* Sender);

 private:
  // Int(W / 2) of the sea's width, the quotient taken at extended precision.
  float RespawnColumn() const;
};

// The game's one form, once Application.Run has created it.
extern TForm1* Form1;
