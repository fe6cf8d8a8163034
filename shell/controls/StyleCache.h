#pragma once
#include "shell/core/Export.h"
#include <map>
#include <string>
#include <utility>
#include <vector>

class TControl;

/// TStyleCache: style copies that controls let go of, kept detached for the next control that
/// asks for the same style name from the same style, so that it need not be read or cloned again.
class KELVANE_API TStyleCache {
 public:
  /// The cache of the main thread; empty until a control hands it a copy.
  static TStyleCache& Current();

  ~TStyleCache();

  /// Takes out a copy kept under Name (ignoring case) that came from Source, or none. A copy
  /// made from another style is never handed out, even under the same name.
  TControl* Take(const void* Source, const std::string& Name);
  /// Keeps Copy, which has no owner and no parent, under Source and Name; a copy without a name,
  /// or beyond the few kept per name, is freed.
  void Put(const void* Source, const std::string& Name, TControl* Copy);
  /// Frees every kept copy: they belong to a style that is no longer the active one.
  void Clear();
  size_t Count() const;

  static constexpr size_t MaxCopiesPerName = 8;

 private:
  std::map<std::pair<const void*, std::string>, std::vector<TControl*>> FCopies;
};
