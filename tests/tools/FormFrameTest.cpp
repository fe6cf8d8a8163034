// kelvane-form frame: the first painted frame of a stored form, headless, as the previewer
// writes it; compared with stored pictures by the rule of the game's golden frames.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "shell/canvas/Bitmap.h"
#include "tests/GoldenImage.h"

namespace {

struct TRun {
  int Status = -1;
  std::string Output;  // standard output and error
};

TRun RunTool(const std::string& Arguments) {
  TRun R;
  const std::string Command = std::string(KELVANE_FORM_TOOL) + " " + Arguments + " 2>&1";
  FILE* Pipe = popen(Command.c_str(), "r");
  if (!Pipe) return R;
  char Buffer[512];
  size_t Got;
  while ((Got = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) R.Output.append(Buffer, Got);
  const int Status = pclose(Pipe);
  R.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  return R;
}

std::string Source(const std::string& Path) { return std::string(KELVANE_SOURCE_DIR) + "/" + Path; }

class FormFrameTest : public ::testing::Test {
 protected:
  FormFrameTest() {
    char Template[] = "/tmp/kelvane-form-frame-XXXXXX";
    Dir = mkdtemp(Template);
  }
  ~FormFrameTest() override { std::system(("rm -rf '" + Dir + "'").c_str()); }

  // Writes Text to a file of the temporary folder; its path.
  std::string File(const std::string& Name, const std::string& Text) {
    const std::string Path = Dir + "/" + Name;
    FILE* F = std::fopen(Path.c_str(), "wb");
    std::fwrite(Text.data(), 1, Text.size(), F);
    std::fclose(F);
    return Path;
  }

  std::string Dir;
};

TEST_F(FormFrameTest, TheGameFormAndTheExampleMatchTheirPictures) {
  struct TCase {
    const char* Form;
    const char* Options;
    const char* Golden;
    int Width, Height;
  };
  const TCase Cases[] = {
      {"resources/Form1.txt", "", "form1", 634, 480},
      {"resources/Form1.txt", "--scale 1.5", "form1-scale1.5", 951, 720},
      {"resources/examples/LayerPanel.txt", "", "layerpanel", 480, 360},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Golden);
    const std::string Out = Dir + "/" + C.Golden + ".png";
    const TRun R = RunTool("frame " + Source(C.Form) + " " + Out + " " + C.Options);
    ASSERT_EQ(R.Status, 0) << R.Output;
    TBitmap Frame;
    Frame.LoadFromFile(Out);
    EXPECT_EQ(Frame.Width(), C.Width);
    EXPECT_EQ(Frame.Height(), C.Height);
    golden::ExpectMatchesGolden(Frame, Source(std::string("tests/tools/golden/") + C.Golden + ".png"));
  }
}

TEST_F(FormFrameTest, ABinaryStreamGivesTheSameFrameAsItsText) {
  const std::string Binary = Dir + "/form.bin";
  ASSERT_EQ(RunTool("binary " + Source("resources/examples/LayerPanel.txt") + " " + Binary).Status, 0);
  const TRun R = RunTool("frame " + Binary + " " + Dir + "/binary.png");
  ASSERT_EQ(R.Status, 0) << R.Output;
  TBitmap Frame;
  Frame.LoadFromFile(Dir + "/binary.png");
  golden::ExpectMatchesGolden(Frame, Source("tests/tools/golden/layerpanel.png"));
}

TEST_F(FormFrameTest, ErrorsNameTheLineOrCarryTheLoadersMessage) {
  struct TCase {
    const char* Text;
    const char* Message;
  };
  const TCase Cases[] = {
      {"object F: TForm\n  Caption 'x'\nend\n", "'=' expected on line 2"},
      {"object F: TForm\n  OnCreate = FormCreate\nend\n", "Error reading F.OnCreate: Invalid property value"},
      {"object F: TForm\n  Colour = 1\nend\n", "Error reading F.Colour: Property Colour does not exist"},
      {"object F: TNoSuchForm\nend\n", "Class TNoSuchForm not found"},
      {"object P: TPanel\nend\n", "Class TPanel not found"},
  };
  for (const TCase& C : Cases) {
    const std::string Path = File("form.txt", C.Text);
    const TRun R = RunTool("frame " + Path + " " + Dir + "/out.png");
    EXPECT_EQ(R.Status, 1) << C.Text;
    EXPECT_EQ(R.Output, Path + ": " + C.Message + "\n") << C.Text;
  }
  const TRun Missing = RunTool("frame " + Dir + "/none.txt " + Dir + "/out.png");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Output, Dir + "/none.txt: Cannot read " + Dir + "/none.txt\n");
}

}  // namespace
