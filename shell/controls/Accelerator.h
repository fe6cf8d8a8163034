#pragma once
// The accelerator marker of a control's text: "&" before a character makes that character the
// control's accelerator key, "&&" stands for one literal "&". The text is shown without the
// markers.
#include "shell/core/Export.h"
#include <cstdint>
#include <string>

/// Text as shown: every marker taken out, "&&" shown as "&".
KELVANE_API std::string TextWithoutAccelerator(const std::string& Text);
/// The virtual key code of the first marked character when it is a letter or a digit (the
/// upper-case letter's code: "&start" gives 'S'); 0 when the text has none.
KELVANE_API uint16_t AcceleratorKey(const std::string& Text);
