// The form previewer's reloads, headless: the file takes its class's place as the stored
// description, also when a save changes the form class.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "game/Register.h"
#include "shell/app/Application.h"
#include "shell/forms/Form.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "tests/tools/ToolRun.h"
#include "tools/form/Preview.h"

namespace {

std::string SourceText(const std::string& Path) {
  std::ifstream In(std::string(KELVANE_SOURCE_DIR) + "/" + Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

// A plain form whose components share their names with the game's form.
const char* const PlainForm =
    "object Plain: TForm\n"
    "  Caption = 'Plain'\n"
    "  object Panel1: TPanel\n"
    "    Align = Bottom\n"
    "  end\n"
    "end\n";

TEST(FormPreview, ASaveWithAnotherFormClassLoadsOnlyTheFilesDescription) {
  THeadlessOptions Options;
  Options.PrintErrorBoxes = false;
  THeadlessBackend& Backend = InstallHeadlessPlatform(Options);
  RegisterGameClasses();
  TTempFolder Temp;
  const std::string Path = Temp.Write("form.txt", PlainForm);
  TFormPreview Preview(Path);
  // Each save in turn, with the main form's class and title after the reload.
  struct Step {
    std::string Text;
    const char* Class;
    const char* Caption;
  };
  const Step Steps[] = {
      {PlainForm, "TForm", "Plain"},
      {SourceText("resources/Form1.txt"), "TForm1", "Form1"},
      {PlainForm, "TForm", "Plain"},
      {SourceText("resources/Form1.txt"), "TForm1", "Form1"},
  };
  bool Ran = false;
  Backend.SetDriver([&] {
    for (const Step& S : Steps) {
      SCOPED_TRACE(S.Class);
      Temp.Write("form.txt", S.Text);
      Preview.Reload();
      TCommonCustomForm* Form = Application->MainForm();
      if (!Form) {
        ADD_FAILURE() << "no main form";
        break;
      }
      EXPECT_EQ(Form->ClassName(), S.Class);
      EXPECT_EQ(Form->Caption(), S.Caption);
    }
    Ran = true;
    Application->Terminate();
  });
  Application->Initialize();
  Application->Run();
  EXPECT_TRUE(Ran);
}

}  // namespace
