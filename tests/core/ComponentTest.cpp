#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "shell/core/Component.h"
#include "shell/core/Exceptions.h"
#include "shell/core/TreeObject.h"

namespace {

struct Owned {
  TComponent* Root = new TComponent(nullptr);
  ~Owned() { Root->Free(); }
};

TEST(ComponentName, InvalidNamesAreRefusedWithTheirMessage) {
  Owned O;
  auto* C = new TComponent(O.Root);
  for (const char* Bad : {"1abc", "a b", "a-b", "a.b"}) {
    try {
      C->SetName(Bad);
      FAIL() << Bad;
    } catch (const EComponentError& E) {
      EXPECT_EQ(E.Message(), std::string("''") + Bad + "'' is not a valid component name");
    }
  }
  C->SetName("_ok1");
  EXPECT_EQ(C->Name(), "_ok1");
  C->SetName("");
  EXPECT_EQ(C->Name(), "");
}

TEST(ComponentName, DuplicatesAmongSiblingsAreRefusedIgnoringCase) {
  Owned O;
  auto* A = new TComponent(O.Root);
  auto* B = new TComponent(O.Root);
  A->SetName("Timer1");
  try {
    B->SetName("TIMER1");
    FAIL();
  } catch (const EComponentError& E) {
    EXPECT_EQ(E.Message(), "A component named TIMER1 already exists");
  }
  EXPECT_EQ(B->Name(), "");
  A->SetName("timer1");  // renaming itself in another case is allowed
  EXPECT_EQ(A->Name(), "timer1");
  EXPECT_EQ(O.Root->FindComponent("TIMER1"), A);
}

TEST(ComponentOwner, FreesOwnedComponentsAndNotifies) {
  struct TWatcher : TComponent {
    using TComponent::TComponent;
    TComponent* Gone = nullptr;
    void Notification(TComponent* C, TOperation Op) override {
      TComponent::Notification(C, Op);
      if (Op == opRemove) Gone = C;
    }
  };
  Owned O;
  auto* Watcher = new TWatcher(nullptr);
  auto* Target = new TComponent(O.Root);
  Target->FreeNotification(Watcher);
  Target->Free();
  EXPECT_EQ(Watcher->Gone, Target);
  EXPECT_EQ(O.Root->ComponentCount(), 0);
  Watcher->Free();
}

// The owner finds its components by name through renames, moves to another owner and frees.
TEST(ComponentName, FindComponentFollowsRenamesMovesAndFrees) {
  Owned O1, O2;
  auto* A = new TComponent(O1.Root);
  A->SetName("Alpha");
  A->SetName("Beta");
  EXPECT_EQ(O1.Root->FindComponent("alpha"), nullptr);
  EXPECT_EQ(O1.Root->FindComponent("BETA"), A);
  A->SetName("beta");  // another case of its own name
  EXPECT_EQ(O1.Root->FindComponent("Beta"), A);
  O2.Root->InsertComponent(A);
  EXPECT_EQ(O1.Root->FindComponent("beta"), nullptr);
  EXPECT_EQ(O2.Root->FindComponent("beta"), A);
  auto* B = new TComponent(O1.Root);
  B->SetName("beta");  // free in O1 now
  EXPECT_EQ(O1.Root->FindComponent("Beta"), B);
  A->SetName("");
  EXPECT_EQ(O2.Root->FindComponent("beta"), nullptr);
  EXPECT_EQ(O2.Root->FindComponent(""), nullptr);
  B->Free();
  EXPECT_EQ(O1.Root->FindComponent("beta"), nullptr);
}

// Insertion does not check the name (renaming does): of two components of one name, the
// first found is the earlier one, and the other once it has gone.
TEST(ComponentName, AnInsertedComponentMayShareANameWithTheFirstFoundFirst) {
  Owned O;
  auto* First = new TComponent(O.Root);
  First->SetName("Timer1");
  auto* Second = new TComponent(nullptr);
  Second->SetName("TIMER1");
  O.Root->InsertComponent(Second);
  EXPECT_EQ(O.Root->ComponentCount(), 2);
  EXPECT_EQ(O.Root->FindComponent("timer1"), First);
  First->Free();
  EXPECT_EQ(O.Root->FindComponent("timer1"), Second);
}

// A component hears of another's going through the free notification it asked for; the
// owner's insertions and removals are not told to every component it owns.
TEST(ComponentOwner, OwnedComponentsHearOnlyOfThoseTheyWatch) {
  struct TListener : TComponent {
    using TComponent::TComponent;
    std::vector<std::pair<TComponent*, TOperation>> Heard;
    void Notification(TComponent* C, TOperation Op) override {
      TComponent::Notification(C, Op);
      Heard.emplace_back(C, Op);
    }
  };
  Owned O;
  auto* Listener = new TListener(O.Root);
  std::vector<TComponent*> Others;
  for (int I = 0; I < 20; ++I) Others.push_back(new TComponent(O.Root));
  TComponent* Watched = Others[7];
  Watched->FreeNotification(Listener);
  for (TComponent* C : Others) C->Free();
  ASSERT_EQ(Listener->Heard.size(), 1u);
  EXPECT_EQ(Listener->Heard[0].first, Watched);
  EXPECT_EQ(Listener->Heard[0].second, opRemove);
  EXPECT_EQ(O.Root->ComponentCount(), 1);
}

TEST(TreeObject, ParentAndChildOrder) {
  Owned O;
  auto* P = new TTreeObject(O.Root);
  auto* A = new TTreeObject(O.Root);
  auto* B = new TTreeObject(O.Root);
  A->SetParent(P);
  B->SetParent(P);
  ASSERT_EQ(P->ChildrenCount(), 2);
  EXPECT_EQ(P->Children(0), A);
  EXPECT_EQ(B->Index(), 1);
  A->SetParent(A);  // itself: nothing
  EXPECT_EQ(A->Parent(), P);
  B->SetParent(nullptr);
  EXPECT_EQ(P->ChildrenCount(), 1);
}

TEST(TreeObject, CircularParentIsRefused) {
  Owned O;
  auto* A = new TTreeObject(O.Root);
  auto* B = new TTreeObject(O.Root);
  auto* C = new TTreeObject(O.Root);
  B->SetParent(A);
  C->SetParent(B);
  try {
    A->SetParent(C);
    FAIL();
  } catch (const EInvalidOperation& E) {
    EXPECT_EQ(E.Message(), "Cannot create a circular dependency between components");
  }
  EXPECT_EQ(A->Parent(), nullptr);
}

TEST(TreeObject, FreeingAParentFreesItsChildren) {
  Owned O;
  auto* A = new TTreeObject(O.Root);
  auto* B = new TTreeObject(O.Root);
  B->SetParent(A);
  A->Free();
  EXPECT_EQ(O.Root->ComponentCount(), 0);
}

}  // namespace
