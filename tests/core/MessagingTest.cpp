#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/core/Messaging.h"
#include "shell/core/Object.h"

namespace {

struct TPing : TMessageBase {
  int Value = 0;
};
struct TPong : TMessageBase {};
struct TPingMore : TPing {};

class MessagingTest : public ::testing::Test {
 protected:
  TMessageManager Manager;
  std::vector<std::string> Log;
};

TEST_F(MessagingTest, ListenersOfTheMessagesOwnClassHearItInSubscriptionOrder) {
  TObject Sender;
  Manager.SubscribeToMessage<TPing>([&](TObject* S, const TMessageBase& M) {
    EXPECT_EQ(S, &Sender);
    Log.push_back("a");
    Log.back() += std::to_string(static_cast<const TPing&>(M).Value);
  });
  Manager.SubscribeToMessage<TPong>([&](TObject*, const TMessageBase&) { Log.push_back("pong"); });
  Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) { Log.push_back("b"); });
  TPing Ping;
  Ping.Value = 7;
  Manager.SendMessage(&Sender, Ping);
  EXPECT_EQ(Log, (std::vector<std::string>{"a7", "b"}));
  // A derived class is a message of its own.
  Log.clear();
  Manager.SendMessage(&Sender, TPingMore());
  EXPECT_TRUE(Log.empty());
}

TEST_F(MessagingTest, UnsubscribedListenersHearNothingAndUnknownIdentifiersAreIgnored) {
  const int64_t A = Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) { Log.push_back("a"); });
  const int64_t B = Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) { Log.push_back("b"); });
  EXPECT_NE(A, 0);
  EXPECT_NE(A, B);
  Manager.Unsubscribe<TPing>(A);
  Manager.Unsubscribe<TPing>(A);
  Manager.Unsubscribe<TPong>(B);  // the wrong class leaves B in place
  Manager.SendMessage(nullptr, TPing());
  EXPECT_EQ(Log, std::vector<std::string>{"b"});
  EXPECT_EQ(Manager.ListenerCount<TPing>(), 1u);
  Manager.Unsubscribe<TPing>(B);
  EXPECT_EQ(Manager.ListenerCount<TPing>(), 0u);
}

// Listeners that change the subscriptions while a message goes round.
TEST_F(MessagingTest, SubscriptionsChangedDuringASendTakeEffectAtOnceForRemovalsOnlyAfterItForAdditions) {
  int64_t Second = 0, Self = 0;
  Self = Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) {
    Log.push_back("first");
    Manager.Unsubscribe<TPing>(Self);    // itself, while it runs
    Manager.Unsubscribe<TPing>(Second);  // one that has not run yet
    Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) { Log.push_back("late"); });
  });
  Second = Manager.SubscribeToMessage<TPing>([&](TObject*, const TMessageBase&) { Log.push_back("second"); });
  Manager.SendMessage(nullptr, TPing());
  EXPECT_EQ(Log, std::vector<std::string>{"first"});
  Log.clear();
  Manager.SendMessage(nullptr, TPing());
  EXPECT_EQ(Log, std::vector<std::string>{"late"});
}

}  // namespace
