#pragma once
// TStyleTag: a style object that carries a value for its control in Tag or TagFloat (the
// slider's "ThumbSize"); it draws nothing and does not take the mouse.
#include "shell/core/Export.h"
#include "shell/controls/Control.h"

class KELVANE_API TStyleTag : public TControl {
  KLV_CLASS(TStyleTag)
 public:
  explicit TStyleTag(TComponent* AOwner);
};
