#include "shell/core/Messaging.h"

#include <algorithm>

TMessageManager& TMessageManager::DefaultManager() {
  static TMessageManager Manager;
  return Manager;
}

int64_t TMessageManager::Subscribe(std::type_index Type, TMessageListener Listener) {
  const int64_t Id = FNextId++;
  FListeners[Type].push_back({Id, std::move(Listener)});
  return Id;
}

void TMessageManager::Unsubscribe(std::type_index Type, int64_t Id) {
  auto It = FListeners.find(Type);
  if (It == FListeners.end()) return;
  auto& List = It->second;
  List.erase(std::remove_if(List.begin(), List.end(), [Id](const TEntry& E) { return E.Id == Id; }), List.end());
  if (List.empty()) FListeners.erase(It);
}

void TMessageManager::SendMessage(TObject* Sender, const TMessageBase& Message) {
  auto It = FListeners.find(typeid(Message));
  if (It == FListeners.end()) return;
  // The listeners may subscribe and unsubscribe while they run: go by identifier over the ones
  // present now, and skip those that have gone meanwhile.
  std::vector<int64_t> Ids;
  for (const TEntry& E : It->second) Ids.push_back(E.Id);
  const std::type_index Type = typeid(Message);
  for (int64_t Id : Ids) {
    auto Now = FListeners.find(Type);
    if (Now == FListeners.end()) return;
    auto Entry = std::find_if(Now->second.begin(), Now->second.end(), [Id](const TEntry& E) { return E.Id == Id; });
    if (Entry == Now->second.end()) continue;
    // A copy: the listener may unsubscribe itself, which would destroy the one in the list.
    TMessageListener Listener = Entry->Listener;
    Listener(Sender, Message);
  }
}
