#pragma once
// Notifications that the application sends through the default message manager while it
// starts up and runs its loop; the sender is the application.
#include "shell/core/Export.h"
#include "shell/core/Messaging.h"

class TCommonCustomForm;

/// The registered forms have been created and the main form shown.
class KELVANE_API TFormsCreatedMessage : public TMessageBase {};

/// The application has a new main form (none when it was freed).
class KELVANE_API TMainFormChangedMessage : public TMessageBase {
 public:
  explicit TMainFormChangedMessage(TCommonCustomForm* AForm) : Form(AForm) {}
  TCommonCustomForm* Form;
};

/// The main form, or its caption, changed: the application's title follows.
class KELVANE_API TMainCaptionChangedMessage : public TMessageBase {
 public:
  explicit TMainCaptionChangedMessage(TCommonCustomForm* AForm) : Form(AForm) {}
  TCommonCustomForm* Form;
};

/// The loop found no message and ran an idle pass.
class KELVANE_API TIdleMessage : public TMessageBase {};
