#include <gtest/gtest.h>

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
