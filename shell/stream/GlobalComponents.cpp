#include "shell/stream/GlobalComponents.h"

#include <algorithm>
#include <mutex>

#include "shell/core/Component.h"

namespace {
std::recursive_mutex& NameSpaceLock() {
  static std::recursive_mutex Lock;
  return Lock;
}

// Guards the list itself; a load additionally holds the name-space lock around its lookups.
std::mutex& ListLock() {
  static std::mutex Lock;
  return Lock;
}

std::vector<TComponent*>& List() {
  static std::vector<TComponent*> Components;
  return Components;
}
}  // namespace

void RegisterGlobalComponent(TComponent* Component) {
  std::lock_guard<std::mutex> Guard(ListLock());
  auto& L = List();
  if (Component && std::find(L.begin(), L.end(), Component) == L.end()) L.push_back(Component);
}

void UnregisterGlobalComponent(TComponent* Component) {
  std::lock_guard<std::mutex> Guard(ListLock());
  auto& L = List();
  L.erase(std::remove(L.begin(), L.end(), Component), L.end());
}

TComponent* FindGlobalComponent(const std::string& Name) {
  if (Name.empty()) return nullptr;
  std::lock_guard<std::mutex> Guard(ListLock());
  for (TComponent* C : List())
    if (SameText(C->Name(), Name)) return C;
  return nullptr;
}

std::vector<TComponent*> GlobalComponents() {
  std::lock_guard<std::mutex> Guard(ListLock());
  return List();
}

std::string UniqueGlobalName(const std::string& Name, const TComponent* Self) {
  auto Taken = [&](const std::string& Candidate) {
    TComponent* Other = FindGlobalComponent(Candidate);
    return Other && Other != Self;
  };
  if (Name.empty() || !Taken(Name)) return Name;
  for (int I = 1;; ++I) {
    std::string Candidate = Name + "_" + std::to_string(I);
    if (!Taken(Candidate)) return Candidate;
  }
}

void BeginGlobalNameSpaceWrite() { NameSpaceLock().lock(); }
void EndGlobalNameSpaceWrite() { NameSpaceLock().unlock(); }
