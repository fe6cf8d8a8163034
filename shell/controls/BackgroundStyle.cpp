#include "shell/controls/BackgroundStyle.h"

#include <utility>

#include "shell/controls/Control.h"

namespace {
TBackgroundStyleLookup& Installed() {
  static TBackgroundStyleLookup Lookup;
  return Lookup;
}
}  // namespace

void SetBackgroundStyleLookup(TBackgroundStyleLookup Lookup) { Installed() = std::move(Lookup); }

TControl* LookupBackgroundStyle(TComponent* Context, TComponent* StyleBook, const std::vector<std::string>& Names) {
  return Installed() ? Installed()(Context, StyleBook, Names) : nullptr;
}

void InsertBackgroundStyle(TTreeObject& Parent, TControl& Background) {
  Background.SetAlign(TAlignLayout::Contents);
  Background.SetLocked(true);
  Background.SetStored(false);
  Parent.InsertObject(0, &Background);
}
