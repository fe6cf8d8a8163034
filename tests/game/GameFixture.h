#pragma once
// A fixture that builds the game's form on the headless back end, as start-up does but
// without running the loop, so that tests can call handlers and draw frames directly.
#include <gtest/gtest.h>

#include "game/Register.h"
#include "game/Unit1.h"
#include "shell/platform/headless/HeadlessPlatform.h"

class GameFixture : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallHeadlessPlatform();
    RegisterGameClasses();
  }
  void SetUp() override { Form = NewForm<TForm1>(nullptr); }
  void TearDown() override {
    if (Form) Form->Free();
  }
  TForm1* Form = nullptr;
};
