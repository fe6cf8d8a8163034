#include "shell/controls/StyleCache.h"

#include <algorithm>
#include <cctype>

#include "shell/controls/Control.h"

namespace {
std::string Key(const std::string& Name) {
  std::string K = Name;
  std::transform(K.begin(), K.end(), K.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return K;
}
}  // namespace

TStyleCache& TStyleCache::Current() {
  static TStyleCache Cache;
  return Cache;
}

TStyleCache::~TStyleCache() { Clear(); }

TControl* TStyleCache::Take(const void* Source, const std::string& Name) {
  auto It = FCopies.find({Source, Key(Name)});
  if (It == FCopies.end() || It->second.empty()) return nullptr;
  TControl* Copy = It->second.back();
  It->second.pop_back();
  return Copy;
}

void TStyleCache::Put(const void* Source, const std::string& Name, TControl* Copy) {
  if (!Copy) return;
  if (Name.empty()) {
    Copy->Free();
    return;
  }
  std::vector<TControl*>& Kept = FCopies[{Source, Key(Name)}];
  if (Kept.size() >= MaxCopiesPerName) {
    Copy->Free();
    return;
  }
  Kept.push_back(Copy);
}

void TStyleCache::Clear() {
  decltype(FCopies) Copies;
  Copies.swap(FCopies);
  for (auto& [Name, Kept] : Copies)
    for (TControl* Copy : Kept) Copy->Free();
}

size_t TStyleCache::Count() const {
  size_t N = 0;
  for (const auto& [Name, Kept] : FCopies) N += Kept.size();
  return N;
}
