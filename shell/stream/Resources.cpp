#include "shell/stream/Resources.h"

#include <map>
#include <memory>
#include <mutex>

#include "shell/core/TypeInfo.h"

namespace {
struct TEntry {
  std::string Name, Type;
  const uint8_t* Data = nullptr;
  size_t Size = 0;
  std::shared_ptr<std::vector<uint8_t>> Owned;  // run-time resources only
};

using TKey = std::pair<std::string, std::string>;

struct TTable {
  std::mutex Lock;
  std::map<TKey, TEntry> BuiltIn;
  std::map<TKey, TEntry> RunTime;
};

TTable& Table() {
  static TTable T;
  return T;
}

TKey Key(const std::string& Name, const std::string& Type) { return {UpperCase(Name), UpperCase(Type)}; }
}  // namespace

void RegisterResource(const std::string& Name, const std::string& Type, const uint8_t* Data, size_t Size) {
  TTable& T = Table();
  std::lock_guard<std::mutex> Guard(T.Lock);
  T.BuiltIn[Key(Name, Type)] = TEntry{Name, Type, Data, Size, nullptr};
}

void SetResource(const std::string& Name, const std::string& Type, std::vector<uint8_t> Data) {
  auto Owned = std::make_shared<std::vector<uint8_t>>(std::move(Data));
  TTable& T = Table();
  std::lock_guard<std::mutex> Guard(T.Lock);
  T.RunTime[Key(Name, Type)] = TEntry{Name, Type, Owned->data(), Owned->size(), Owned};
}

bool RemoveResource(const std::string& Name, const std::string& Type) {
  TTable& T = Table();
  std::lock_guard<std::mutex> Guard(T.Lock);
  return T.RunTime.erase(Key(Name, Type)) != 0;
}

std::optional<std::span<const uint8_t>> FindResource(const std::string& Name, const std::string& Type) {
  TTable& T = Table();
  std::lock_guard<std::mutex> Guard(T.Lock);
  TKey K = Key(Name, Type);
  for (auto* Map : {&T.RunTime, &T.BuiltIn}) {
    auto It = Map->find(K);
    if (It != Map->end()) return std::span<const uint8_t>(It->second.Data, It->second.Size);
  }
  return std::nullopt;
}

std::vector<std::pair<std::string, std::string>> ResourceNames() {
  TTable& T = Table();
  std::lock_guard<std::mutex> Guard(T.Lock);
  std::map<TKey, std::pair<std::string, std::string>> All;
  for (auto* Map : {&T.BuiltIn, &T.RunTime})
    for (auto& [K, E] : *Map) All[K] = {E.Name, E.Type};
  std::vector<std::pair<std::string, std::string>> Result;
  for (auto& [K, V] : All) Result.push_back(V);
  return Result;
}
