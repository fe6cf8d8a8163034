#pragma once
// Finding the style object for a control, a layer or a form background: the form's style book,
// then the active style, then (for an explicit StyleLookup) the global pool of style
// resources; what is found is handed out as a copy whose TagString is the lower-cased name it
// was found under.
#include "shell/core/Export.h"
#include <string>
#include <vector>

class TComponent;
class TControl;
class TStyleBook;
class TStyledControl;
class TTreeObject;

/// The style book of a root object (a form): its published StyleBook, when that is a TStyleBook.
KELVANE_API TStyleBook* StyleBookOf(TTreeObject* RootObject);

/// The copy of Control's style, owned by Control, or none. With a StyleLookup: that name in the
/// style book, in the active style, in the global pool; otherwise, or when that found nothing,
/// the default name and then the parent-class name in the style book, then the two in the active
/// style.
KELVANE_API TControl* LookupStyleObject(TStyledControl& Control);

/// The style Control's copies come from when no style book decides: the active style of its
/// form (none outside a form or when the platform style does not exist).
KELVANE_API const TTreeObject* StyleSourceOf(TStyledControl& Control);

/// Makes styled controls find their styles with LookupStyleObject, and keep let-go copies per
/// StyleSourceOf.
void InstallStyleLookup();

/// The copy (owned by nobody) of the first object found under one of Names, searched in order
/// in StyleBook's style (a TStyleBook, or none), then in the active style of Context. Raises
/// what the active style raises.
KELVANE_API TControl* LookupStyleCopy(TComponent* Context, TComponent* StyleBook, const std::vector<std::string>& Names);
