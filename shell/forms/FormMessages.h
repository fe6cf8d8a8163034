#pragma once
// Notifications that forms send through the default message manager.
#include "shell/core/Export.h"
#include "shell/core/Messaging.h"

/// A form's window has a new scale (pixels per logical pixel); the sender is the form. Whatever
/// keeps pixels for that form (a viewport's surfaces) rebuilds them.
class KELVANE_API TScaleChangedMessage : public TMessageBase {
 public:
  explicit TScaleChangedMessage(float AScale) : Scale(AScale) {}
  float Scale;
};

/// A form is about to be shown; the sender is the form, whose window exists and is placed.
class KELVANE_API TFormBeforeShownMessage : public TMessageBase {};
