// Parts repainted after a change look as a repaint of everything leaves them: kelvane-headless
// runs a stored form, changes it through the setters (each change painted on its own, as the
// loop paints it), writes the frame, then marks everything, and the frame must be the same.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/canvas/Bitmap.h"
#include "tests/tools/ToolRun.h"

namespace {

std::string Fixture(const std::string& Name) { return std::string(KELVANE_SOURCE_DIR) + "/tests/tools/fixtures/" + Name; }

int Distance(TAlphaColor A, TAlphaColor B) {
  int D = 0;
  for (int Shift = 0; Shift < 32; Shift += 8)
    D = std::max(D, std::abs(static_cast<int>((A >> Shift) & 0xFF) - static_cast<int>((B >> Shift) & 0xFF)));
  return D;
}

TEST(Repaint, PartsRepaintedAfterAChangeLookAsAWholeRepaintLeavesThem) {
  struct TCase {
    const char* Name;
    const char* Form;
    std::vector<std::string> Changes;
    // Commands that mark everything for the next paint, leaving the form as it was.
    std::vector<std::string> MarkAll;
  };
  const std::vector<std::string> MarkLayer = {"set Layer3D1.Visible True"};
  const TCase Cases[] = {
      // A part of the second band painted after one of the first: the band held the first's
      // pixels, which the translucent fill blended with.
      {"translucent layer, one band after another", "TranslucentLayer.txt",
       {"set Button1.Text \"Changed\"", "set TrackBar1.Value 80"}, MarkLayer},
      {"a child outside its parent, on a layer", "TranslucentLayer.txt", {"set Button2.Text \"Changed\""}, MarkLayer},
      {"a child outside its parent, on a form", "OutsideChild.txt", {"set Button1.Text \"Changed\""},
       {"set OutsideChild.Fill.Kind Solid", "set OutsideChild.Fill.Kind None"}},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTempFolder Temp;
    std::string Script;
    for (const std::string& Line : C.Changes) Script += Line + "\n";
    Script += "frame " + Temp.Path() + "/changed.png\n";
    for (const std::string& Line : C.MarkAll) Script += Line + "\n";
    Script += "frame " + Temp.Path() + "/whole.png\n";
    const TToolRun R = RunTool(KELVANE_HEADLESS_TOOL, "--form " + Fixture(C.Form) + " " + Temp.Write("script.txt", Script));
    ASSERT_EQ(R.Status, 0) << R.Output;
    TBitmap Changed, Whole;
    Changed.LoadFromFile(Temp.Path() + "/changed.png");
    Whole.LoadFromFile(Temp.Path() + "/whole.png");
    ASSERT_EQ(Changed.Width(), Whole.Width());
    ASSERT_EQ(Changed.Height(), Whole.Height());
    // Anti-aliased edges cut by a repainted part's clip may differ by a level or two.
    int Differ = 0;
    for (int Y = 0; Y < Whole.Height(); ++Y)
      for (int X = 0; X < Whole.Width(); ++X)
        if (Distance(Changed.Pixel(X, Y), Whole.Pixel(X, Y)) > 4 && ++Differ <= 5)
          ADD_FAILURE() << "pixel (" << X << ", " << Y << ") " << std::hex << Changed.Pixel(X, Y) << " where a whole repaint gives "
                        << Whole.Pixel(X, Y);
    EXPECT_EQ(Differ, 0);
  }
}

}  // namespace
