#pragma once
#include <string>

#include "shell/core/Export.h"
#include "shell/controls/StyledControl.h"

/// TPresentedControl: a styled control drawn from its style (no separate platform
/// presentation); TPresentedTextControl adds the Text that its style shows.
class KELVANE_API TPresentedControl : public TStyledControl {
  KLV_CLASS(TPresentedControl)
 public:
  explicit TPresentedControl(TComponent* AOwner);
};

/// A presented control with the Text that its style shows.
class KELVANE_API TPresentedTextControl : public TPresentedControl {
  KLV_CLASS(TPresentedTextControl)
 public:
  explicit TPresentedTextControl(TComponent* AOwner);

  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  /// The style object that shows Text (the style's "text"), or none.
  TControl* TextObject() const { return FTextObject; }

 protected:
  /// The text the style's text object shows.
  virtual std::string DisplayedText() const { return FText; }
  /// The style's text object shows the new text.
  virtual void TextChanged();
  void ApplyStyle() override;
  void FreeStyle() override;

 private:
  void UpdateTextObject();

  std::string FText;
  TControl* FTextObject = nullptr;
};
