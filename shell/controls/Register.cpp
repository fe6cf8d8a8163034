#include "shell/controls/Register.h"

#include "shell/controls/Button.h"
#include "shell/controls/ImageList.h"
#include "shell/controls/Panel.h"
#include "shell/controls/TrackBar.h"

void RegisterControlClasses() {
  RegisterClass(TControl::StaticClass());
  RegisterClass(TPanel::StaticClass());
  RegisterClass(TButton::StaticClass());
  RegisterClass(TTrackBar::StaticClass());
  RegisterClass(TThumb::StaticClass());
  RegisterClass(TImageList::StaticClass());
}
