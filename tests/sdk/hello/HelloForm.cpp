#include "HelloForm.h"

#include <iostream>

#include "shell/app/Application.h"
#include "shell/app/Timer.h"
#include "shell/controls/Button.h"
#include "shell/controls/TrackBar.h"

THelloForm* HelloForm = nullptr;

const TMetaClass& THelloForm::StaticClass() {
  return ClassRecord<THelloForm>("THelloForm", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Field("TrackBar1", &THelloForm::TrackBar1);
    B.Field("Button1", &THelloForm::Button1);
    B.Field("Timer1", &THelloForm::Timer1);
    B.Method("FormCreate", &THelloForm::FormCreate);
    B.Method("Button1Click", &THelloForm::Button1Click);
    B.Method("TrackBar1Change", &THelloForm::TrackBar1Change);
    B.Method("Timer1Timer", &THelloForm::Timer1Timer);
  });
}

THelloForm::THelloForm(TComponent* AOwner) : TForm(AOwner) {}

void THelloForm::FormCreate(TObject*) { SetCaption(Caption() + ", world"); }

void THelloForm::Button1Click(TObject*) { TrackBar1->SetValue(TrackBar1->Value() + 1); }

void THelloForm::TrackBar1Change(TObject*) { ++Changes; }

// The form is shown and the loop runs: press the button twice, say what came of it, and end.
void THelloForm::Timer1Timer(TObject*) {
  Timer1->SetEnabled(false);
  Button1->Click();
  Button1->Click();
  std::cout << Caption() << ": " << Button1->Text() << " x2 -> " << TrackBar1->Value() << " (" << Changes
            << " changes)" << std::endl;
  Application->Terminate();
}
