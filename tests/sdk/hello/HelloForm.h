#pragma once
// The program's form: a slider that a button steps, and a timer that reports and ends the
// program once the form is up.
#include "shell/forms/Form.h"

class TButton;
class TTimer;
class TTrackBar;

class THelloForm : public TForm {
  KLV_CLASS(THelloForm)
 public:
  explicit THelloForm(TComponent* AOwner);

  TTrackBar* TrackBar1 = nullptr;
  TButton* Button1 = nullptr;
  TTimer* Timer1 = nullptr;

  void FormCreate(TObject* Sender);
  void Button1Click(TObject* Sender);
  void TrackBar1Change(TObject* Sender);
  void Timer1Timer(TObject* Sender);

  int Changes = 0;
};

extern THelloForm* HelloForm;
