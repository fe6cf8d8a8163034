// A plain TForm from a stored description, found by its class name as tools and start-up find
// form classes; and the main form when forms come and go.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

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
  void Run(const std::string& Text, std::function<void()> Step) { Run(ObjectTextToBinary(Text), std::move(Step)); }
  void Run(std::vector<uint8_t> Stream, std::function<void()> Step) {
    SetResource("TFORM", RT_RCDATA, std::move(Stream));
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
    EXPECT_EQ(E.Message(), "Error reading Plain.OnCreate: Invalid property value: FormCreate (TForm publishes no handler for it)");
  }
  EXPECT_EQ(Form, nullptr);
}

// The form's own records fail as any component's do, named after the form and the record,
// also those that the window needs before the description is read.
TEST_F(PlainFormTest, AFaultInTheFormsOwnRecordNamesTheRecord) {
  const std::vector<uint8_t> Good = ObjectTextToBinary(
      "object Plain: TForm\n"
      "  BorderStyle = Single\n"
      "  Caption = 'A plain form'\n"
      "  ClientWidth = 300\n"
      "end\n");
  // The tag byte of a record's value: right after its name.
  auto TagOf = [&](const std::string& Name) {
    const std::string Record = std::string(1, static_cast<char>(Name.size())) + Name;
    auto It = std::search(Good.begin(), Good.end(), Record.begin(), Record.end());
    EXPECT_NE(It, Good.end()) << Name;
    return static_cast<size_t>(It - Good.begin()) + Record.size();
  };
  struct Case {
    const char* What;
    std::function<void(std::vector<uint8_t>&)> Spoil;
    std::string Message;
  } Cases[] = {
      {"a tag that no value has", [&](auto& B) { B[TagOf("Caption")] = 0x63; },
       "Error reading Plain.Caption: Invalid property value"},
      {"the stream ends inside the value", [&](auto& B) { B.resize(TagOf("Caption") + 4); },
       "Error reading Plain.Caption: Stream read error"},
      {"a record the window reads first, cut short", [&](auto& B) { B.resize(TagOf("BorderStyle") + 3); },
       "Error reading Plain.BorderStyle: Stream read error"},
      {"a record the window reads first, with a bad tag", [&](auto& B) { B[TagOf("BorderStyle")] = 0x63; },
       "Error reading Plain.BorderStyle: Invalid property value"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.What);
    std::vector<uint8_t> Bytes = Good;
    C.Spoil(Bytes);
    Form = nullptr;
    try {
      Run(Bytes, [] {});
      ADD_FAILURE() << "loaded";
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), C.Message);
    }
    EXPECT_EQ(Form, nullptr);
  }
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
