#pragma once
// The objects of a style tree by name, as style lookups see them: every child with a StyleName
// under its lower-cased name; below each child that is not a styled control, its children
// under their own names and under the parent's name, a dot and their own name; and so on down.
// A later entry with the same key replaces an earlier one.
#include "shell/core/Export.h"
#include <string>
#include <unordered_map>

class TTreeObject;

/// The objects of a style tree by name, as style lookups see them.
class KELVANE_API TStyleDictionary {
 public:
  /// Enters the children of Root (Root itself is not entered).
  void Build(const TTreeObject& Root);
  void Clear() { FItems.clear(); }
  /// The object entered under Name, compared without regard to case; none when absent.
  TTreeObject* Find(const std::string& Name) const;
  size_t Count() const { return FItems.size(); }

 private:
  /// Nested: Parent is below the root, so its children are also entered as "parent.child".
  void AddChildren(const TTreeObject& Parent, bool Nested);

  std::unordered_map<std::string, TTreeObject*> FItems;
};
