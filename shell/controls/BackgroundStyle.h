#pragma once
// The one hook through which forms and layers find their background style. The styles sit
// above the controls and the 3D layers, so the program installs the hook at start-up (the
// game with its classes); without one, forms and layers have no style background.
#include <functional>
#include <string>
#include <vector>

#include "shell/core/Export.h"

class TComponent;
class TControl;
class TTreeObject;

/// A copy (owned by nobody) of the first style object found under one of Names, searched in
/// StyleBook's style, then in the active style of Context (either may be none); none when no
/// style has one. RegisterFrameworkClasses installs the styles' own.
using TBackgroundStyleLookup =
    std::function<TControl*(TComponent* Context, TComponent* StyleBook, const std::vector<std::string>& Names)>;
KELVANE_API void SetBackgroundStyleLookup(TBackgroundStyleLookup Lookup);
/// What the installed lookup finds, or none without one.
KELVANE_API TControl* LookupBackgroundStyle(TComponent* Context, TComponent* StyleBook, const std::vector<std::string>& Names);

/// Lays Background over the whole of Parent beneath its other children (the first child is
/// painted first), locked and not stored, as a style's copy is.
KELVANE_API void InsertBackgroundStyle(TTreeObject& Parent, TControl& Background);
