// A plain TForm from a stored description, found by its class name as tools and start-up find
// form classes; and the main form when forms come and go.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "shell/app/Application.h"
#include "shell/app/Register.h"
#include "shell/app/Timer.h"
#include "shell/forms/Form.h"
#include "shell/platform/Platform.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"

namespace {

class PlainFormTest : public ::testing::Test {
 protected:
  PlainFormTest() {
    THeadlessOptions O;
    O.PrintErrorBoxes = false;
    auto B = std::make_unique<THeadlessBackend>(O);
    Headless = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
    RegisterAppClasses();
  }
  ~PlainFormTest() override {
    Platform.reset();
    RemoveResource("TFORM", RT_RCDATA);
  }

  // Creates the form that Text describes through the class table, as start-up would, and runs
  // Step once the loop waits.
  void Run(const std::string& Text, std::function<void()> Step) {
    SetResource("TFORM", RT_RCDATA, ObjectTextToBinary(Text));
    const TMetaClass* Class = GetClass("TForm");
    ASSERT_NE(Class, nullptr);
    ASSERT_TRUE(Class->CanCreate());
    Application->CreateForm(*Class, [this](TComponent* C) { Form = static_cast<TForm*>(C); });
    Headless->SetDriver([Step] {
      Step();
      Application->Terminate();
    });
    Application->Run();
  }

  THeadlessBackend* Headless;
  std::unique_ptr<TPlatform> Platform;
  TForm* Form = nullptr;
};

TEST_F(PlainFormTest, AStoredPlainFormLoadsWithItsComponents) {
  bool Ran = false;
  Run("object Plain: TForm\n"
      "  Caption = 'A plain form'\n"
      "  ClientWidth = 300\n"
      "  ClientHeight = 200\n"
      "  object Timer1: TTimer\n"
      "    Interval = 250\n"
      "  end\n"
      "end\n",
      [&] {
        Ran = true;
        ASSERT_NE(Form, nullptr);
        EXPECT_EQ(Application->MainForm(), Form);
        EXPECT_EQ(Form->Name(), "Plain");
        EXPECT_EQ(Form->Caption(), "A plain form");
        EXPECT_EQ(Form->ClientWidth(), 300);
        EXPECT_EQ(Form->ClientHeight(), 200);
        auto* Timer = dynamic_cast<TTimer*>(Form->FindComponent("Timer1"));
        ASSERT_NE(Timer, nullptr);
        EXPECT_EQ(Timer->Interval(), 250u);
      });
  EXPECT_TRUE(Ran);
}

TEST_F(PlainFormTest, AStoredEventNamingAMethodFailsAsWhenLoadingAnyForm) {
  // A plain form publishes no handlers.
  try {
    Run("object Plain: TForm\n"
        "  OnCreate = FormCreate\n"
        "end\n",
        [] {});
    FAIL() << "loaded";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Error reading Plain.OnCreate: Invalid property value");
  }
  EXPECT_EQ(Form, nullptr);
}

TEST_F(PlainFormTest, TheMainFormCanBeReplacedAndAFreedOneIsForgotten) {
  Run("object Plain: TForm\nend\n", [&] {
    TForm* First = Form;
    ASSERT_EQ(Application->MainForm(), First);
    TForm* Second = nullptr;
    Application->CreateForm(*GetClass("TForm"), [&](TComponent* C) { Second = static_cast<TForm*>(C); });
    ASSERT_NE(Second, nullptr);
    EXPECT_EQ(Application->MainForm(), First);
    Application->SetMainForm(Second);
    EXPECT_EQ(Application->MainForm(), Second);
    First->Free();
    EXPECT_EQ(Application->MainForm(), Second);
    Second->Free();
    EXPECT_EQ(Application->MainForm(), nullptr);

    TForm* Stray = NewForm<TForm>(nullptr, TCreateNew{});
    EXPECT_THROW(Application->SetMainForm(Stray), EInvalidOperation);
    Stray->Free();
  });
}

}  // namespace
