#pragma once
// TPresentedControl: a styled control drawn from its style (no separate platform
// presentation); TPresentedTextControl adds the Text that its style shows.
#include <string>

#include "shell/controls/StyledControl.h"

class TPresentedControl : public TStyledControl {
  KLV_CLASS(TPresentedControl)
 public:
  explicit TPresentedControl(TComponent* AOwner);
};

class TPresentedTextControl : public TPresentedControl {
  KLV_CLASS(TPresentedTextControl)
 public:
  explicit TPresentedTextControl(TComponent* AOwner);

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);

 protected:
  // The style's text object shows the new text.
  virtual void TextChanged() { Repaint(); }

 private:
  std::string FText;
};
