// kelvane-form frame: the first painted frame of a stored form, headless, as the previewer
// writes it; compared with stored pictures by the rule of the game's golden frames.
#include <gtest/gtest.h>

#include <string>

#include "shell/canvas/Bitmap.h"
#include "tests/GoldenImage.h"
#include "tests/tools/ToolRun.h"

namespace {

TToolRun RunForm(const std::string& Arguments) { return RunTool(KELVANE_FORM_TOOL, Arguments); }

std::string Source(const std::string& Path) { return std::string(KELVANE_SOURCE_DIR) + "/" + Path; }

class FormFrameTest : public ::testing::Test {
 protected:
  TTempFolder Temp;
  const std::string& Dir = Temp.Path();
};

// The example is given as a binary stream, compiled from its text, which the golden picture
// was made from: both forms of a stored form give the same frame.
TEST_F(FormFrameTest, TheGameFormAndTheExampleMatchTheirPictures) {
  const std::string Binary = Dir + "/LayerPanel.bin";
  ASSERT_EQ(RunForm("binary " + Source("resources/examples/LayerPanel.txt") + " " + Binary).Status, 0);
  struct TCase {
    std::string Form;
    const char* Options;
    const char* Golden;
    int Width, Height;
  };
  const TCase Cases[] = {
      {Source("resources/Form1.txt"), "", "form1", 634, 480},
      {Source("resources/Form1.txt"), "--scale 1.5", "form1-scale1.5", 951, 720},
      {Binary, "", "layerpanel", 480, 360},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Golden);
    const std::string Out = Dir + "/" + C.Golden + ".png";
    const TToolRun R = RunForm("frame " + C.Form + " " + Out + " " + C.Options);
    ASSERT_EQ(R.Status, 0) << R.Output;
    TBitmap Frame;
    Frame.LoadFromFile(Out);
    EXPECT_EQ(Frame.Width(), C.Width);
    EXPECT_EQ(Frame.Height(), C.Height);
    golden::ExpectMatchesGolden(Frame, Source(std::string("tests/tools/golden/") + C.Golden + ".png"));
  }
}

// A layer with its default fill (None, white) shows the style's background, grey in the
// built-in style, where it faces the camera; the view around it keeps the viewport's colour.
TEST_F(FormFrameTest, ALayerWithoutAFillShowsTheStyleBackground) {
  for (const char* Scale : {"1", "1.5"}) {
    SCOPED_TRACE(Scale);
    const std::string Out = Dir + "/unfilled.png";
    const TToolRun R = RunForm("frame " + Source("tests/tools/fixtures/UnfilledLayer.txt") + " " + Out + " --scale " + Scale);
    ASSERT_EQ(R.Status, 0) << R.Output;
    TBitmap Frame;
    Frame.LoadFromFile(Out);
    EXPECT_EQ(Frame.Pixel(Frame.Width() / 2, Frame.Height() / 2), 0xFFF0F0F0u);
    EXPECT_EQ(Frame.Pixel(2, 2), 0xFF000000u);
  }
}

TEST_F(FormFrameTest, ErrorsNameTheLineOrCarryTheLoadersMessage) {
  struct TCase {
    const char* Text;
    const char* Message;
  };
  const TCase Cases[] = {
      {"object F: TForm\n  Caption 'x'\nend\n", ":2: '=' expected"},
      {"object F: TForm\n  OnCreate = FormCreate\nend\n", ":2: Error reading F.OnCreate: Invalid property value: FormCreate (TForm publishes no handler for it)"},
      {"object F: TForm\n  Colour = 1\nend\n", ":2: Error reading F.Colour: Property Colour does not exist"},
      {"object F: TNoSuchForm\nend\n", ": Class TNoSuchForm not found"},
      {"object P: TPanel\nend\n", ": Class TPanel not found"},
  };
  for (const TCase& C : Cases) {
    const std::string Path = Temp.Write("form.txt", C.Text);
    const TToolRun R = RunForm("frame " + Path + " " + Dir + "/out.png");
    EXPECT_EQ(R.Status, 1) << C.Text;
    EXPECT_EQ(R.Output, Path + C.Message + "\n") << C.Text;
  }
  const TToolRun Missing = RunForm("frame " + Dir + "/none.txt " + Dir + "/out.png");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Output, Dir + "/none.txt: Cannot read " + Dir + "/none.txt\n");
}

}  // namespace
