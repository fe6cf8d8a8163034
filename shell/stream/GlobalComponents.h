#pragma once
// The process-wide list of global components (forms register themselves here), against which
// root names are made unique and global references are resolved, and the global name-space
// lock that a load holds for its whole duration.
#include "shell/core/Export.h"
#include <string>
#include <vector>

class TComponent;

KELVANE_API void RegisterGlobalComponent(TComponent* Component);
KELVANE_API void UnregisterGlobalComponent(TComponent* Component);
/// The global component of that name, compared without regard to case; none when absent.
KELVANE_API TComponent* FindGlobalComponent(const std::string& Name);
KELVANE_API std::vector<TComponent*> GlobalComponents();

/// Name made unique among global components other than Self: "%s_%d" with 1, 2, ... when the
/// name is taken. An empty name stays empty.
std::string UniqueGlobalName(const std::string& Name, const TComponent* Self);

/// The global name-space lock: exclusive, re-entrant on the thread that holds it.
void BeginGlobalNameSpaceWrite();
void EndGlobalNameSpaceWrite();

/// Holds the global name-space lock for a scope.
class KELVANE_API TGlobalNameSpaceLock {
 public:
  TGlobalNameSpaceLock() { BeginGlobalNameSpaceWrite(); }
  ~TGlobalNameSpaceLock() { EndGlobalNameSpaceWrite(); }
  TGlobalNameSpaceLock(const TGlobalNameSpaceLock&) = delete;
  TGlobalNameSpaceLock& operator=(const TGlobalNameSpaceLock&) = delete;
};
