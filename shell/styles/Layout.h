#pragma once
#include "shell/core/Export.h"
#include "shell/controls/Control.h"

/// TLayout: an invisible control that only arranges its children (the roots of the button and
/// slider styles). It does not take the mouse.
class KELVANE_API TLayout : public TControl {
  KLV_CLASS(TLayout)
 public:
  explicit TLayout(TComponent* AOwner);
};
