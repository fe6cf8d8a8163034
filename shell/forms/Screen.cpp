#include "shell/forms/Screen.h"

#include <algorithm>

TScreen& TScreen::Current() {
  static TScreen Screen;
  return Screen;
}

void TScreen::AddForm(TCommonCustomForm* AForm) {
  if (std::find(FForms.begin(), FForms.end(), AForm) == FForms.end()) FForms.push_back(AForm);
}

void TScreen::RemoveForm(TCommonCustomForm* AForm) {
  FForms.erase(std::remove(FForms.begin(), FForms.end(), AForm), FForms.end());
  if (FActiveForm == AForm) FActiveForm = nullptr;
}
