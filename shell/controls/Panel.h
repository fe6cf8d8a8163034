#pragma once
#include "shell/core/Export.h"
#include "shell/controls/PresentedControl.h"

/// TPanel: a styled container with no behaviour of its own.
class KELVANE_API TPanel : public TPresentedControl {
  KLV_CLASS(TPanel)
 public:
  explicit TPanel(TComponent* AOwner);
  /// A panel keeps no tab order: a stored one is read and ignored.
  int TabOrder() const override { return -1; }
  void SetTabOrder(int) override {}

 protected:
  TSizeF GetDefaultSize() const override { return {120, 120}; }
};
