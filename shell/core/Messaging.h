#pragma once
#include "shell/core/Export.h"
#include <cstdint>
#include <functional>
#include <map>
#include <typeindex>
#include <vector>

class TObject;

/// The base of every message class.
class KELVANE_API TMessageBase {
 public:
  virtual ~TMessageBase() = default;
};

using TMessageListener = std::function<void(TObject* Sender, const TMessageBase& Message)>;

/// TMessageManager: process-wide notifications. A listener subscribes to one message class and
/// is called with the sender and the message each time a message of exactly that class is sent,
/// in the order of subscription. Used on the main thread only.
class KELVANE_API TMessageManager {
 public:
  /// The manager that the shell sends its notifications through.
  static TMessageManager& DefaultManager();

  /// Returns the subscription's identifier (never 0).
  template <typename M>
  int64_t SubscribeToMessage(TMessageListener Listener) {
    return Subscribe(typeid(M), std::move(Listener));
  }
  /// Ends a subscription; an unknown identifier is ignored. Safe from inside a listener.
  template <typename M>
  void Unsubscribe(int64_t Id) {
    Unsubscribe(typeid(M), Id);
  }
  /// Calls the listeners of Message's own class. A listener that subscribes while the message
  /// is being sent is not called for it; one that is unsubscribed meanwhile is not called any
  /// more.
  void SendMessage(TObject* Sender, const TMessageBase& Message);
  /// How many listeners a message class has.
  template <typename M>
  size_t ListenerCount() const {
    auto It = FListeners.find(typeid(M));
    return It == FListeners.end() ? 0 : It->second.size();
  }

 private:
  struct TEntry {
    int64_t Id;
    TMessageListener Listener;
  };
  int64_t Subscribe(std::type_index Type, TMessageListener Listener);
  void Unsubscribe(std::type_index Type, int64_t Id);

  std::map<std::type_index, std::vector<TEntry>> FListeners;
  int64_t FNextId = 1;
};
