#pragma once
#include "shell/core/Export.h"
#include "shell/controls/Control.h"

/// TStyleTag: a style object that carries a value for its control in Tag or TagFloat (the
/// slider's "ThumbSize"); it draws nothing and does not take the mouse.
class KELVANE_API TStyleTag : public TControl {
  KLV_CLASS(TStyleTag)
 public:
  explicit TStyleTag(TComponent* AOwner);
};
