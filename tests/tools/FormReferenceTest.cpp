// kelvane-form classes, describe and colours: the reference comes from the class table the
// reader uses, so it answers for every registered class, and what it lists is what a form may
// write.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "tests/tools/ToolRun.h"

namespace {

TToolRun RunForm(const std::string& Arguments) { return RunToolSplit(KELVANE_FORM_TOOL, Arguments); }

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> Out;
  std::istringstream In(Text);
  for (std::string L; std::getline(In, L);) Out.push_back(L);
  return Out;
}

bool HasLine(const std::string& Text, const std::string& Line) {
  for (const std::string& L : Lines(Text))
    if (L == Line) return true;
  return false;
}

TEST(FormReferenceTest, EveryListedClassIsDescribedWithItsPropertiesAndTheirValues) {
  const TToolRun Classes = RunForm("classes");
  ASSERT_EQ(Classes.Status, 0) << Classes.Errors;
  for (const char* Expected : {"TForm: TCustomForm", "TButton: TCustomButton", "TLayer3D: TCustomLayer3D",
                               "TCylinder: TCustomMesh", "TTimer: TTreeObject"})
    EXPECT_TRUE(HasLine(Classes.Output, Expected)) << Expected;
  const std::vector<std::string> Names = Lines(Classes.Output);
  ASSERT_GT(Names.size(), 10u);
  for (const std::string& Line : Names) {
    const std::string Name = Line.substr(0, Line.find(':'));
    const TToolRun D = RunForm("describe " + Name);
    EXPECT_EQ(D.Status, 0) << Name << ": " << D.Errors;
    EXPECT_EQ(D.Errors, "") << Name;
    // The class's chain, then one line a property: the class table behind it publishes Name
    // on every component.
    EXPECT_EQ(D.Output.rfind(Name, 0), 0u) << Name;
    EXPECT_TRUE(HasLine(D.Output, "Name: string = ''") || HasLine(D.Output, "Name: string")) << Name << "\n"
                                                                                           << D.Output;
    // Every enumeration says what it accepts.
    for (const std::string& L : Lines(D.Output)) {
      if (L.find(": Boolean") == std::string::npos) continue;
      EXPECT_NE(L.find("(one of False, True)"), std::string::npos) << L;
    }
  }
}

TEST(FormReferenceTest, DescribeGivesTypesDefaultsAndTheAcceptedNames) {
  struct TCase {
    const char* Class;
    const char* Line;
  };
  const TCase Cases[] = {
      {"TForm", "WindowState: TWindowState = wsNormal (one of wsNormal, wsMinimized, wsMaximized)"},
      {"TViewport3D", "Multisample: TMultisample = FourSamples (one of None, TwoSamples, FourSamples)"},
      {"TViewport3D", "Color: TAlphaColor = claWhite (a colour name, or xAARRGGBB)"},
      {"TLayer3D", "Resolution: Integer = 50"},
      {"TLayer3D", "Fill.Kind: TBrushKind = None (one of None, Solid, Gradient, Bitmap, Resource)"},
      {"TCylinder", "MaterialSource: TMaterialSource (the name of a component of the form)"},
      {"TButton", "Text: string = ''"},
      {"TTimer", "Interval: Cardinal = 1000"},
  };
  for (const TCase& C : Cases) {
    const TToolRun D = RunForm(std::string("describe ") + C.Class);
    EXPECT_EQ(D.Status, 0) << C.Class;
    EXPECT_TRUE(HasLine(D.Output, C.Line)) << C.Class << ": no line\n  " << C.Line << "\nin\n" << D.Output;
  }
  // Names are found without regard to case, as the reader finds them.
  EXPECT_EQ(RunForm("describe tbutton").Output, RunForm("describe TButton").Output);
  const TToolRun Missing = RunForm("describe TNoSuchThing");
  EXPECT_EQ(Missing.Status, 1);
  EXPECT_EQ(Missing.Errors, "kelvane-form: Class TNoSuchThing not found\n");
}

TEST(FormReferenceTest, ColoursAreTheNamesAFormMayWrite) {
  const TToolRun R = RunForm("colours");
  ASSERT_EQ(R.Status, 0);
  EXPECT_TRUE(HasLine(R.Output, "claLightsteelblue xFFB0C4DE"));
  EXPECT_TRUE(HasLine(R.Output, "claBlack xFF000000"));
  // Each name listed loads: a form made of all of them checks.
  std::string Form = "object F: TForm\n  object V: TViewport3D\n";
  int N = 0;
  for (const std::string& L : Lines(R.Output)) {
    Form += "    object L" + std::to_string(++N) + ": TLayer3D\n      Fill.Color = " + L.substr(0, L.find(' ')) +
            "\n    end\n";
  }
  Form += "  end\nend\n";
  TTempFolder Temp;
  const TToolRun Check = RunForm("check " + Temp.Write("colours.txt", Form));
  EXPECT_EQ(Check.Status, 0) << Check.Errors;
}

TEST(FormReferenceTest, ABadValueSaysWhatTheTypeAccepts) {
  TTempFolder Temp;
  struct TCase {
    const char* Line;
    const char* Error;
  };
  const TCase Cases[] = {
      {"WindowState = Maximized",
       ":2: Error reading F.WindowState: Invalid property value: Maximized (expected wsNormal, wsMinimized, wsMaximized)"},
      {"Position = poScreenCenter",
       ":2: Error reading F.Position: Invalid property value: poScreenCenter (expected Designed, Default, DefaultPosOnly, "
       "DefaultSizeOnly, ScreenCenter, DesktopCenter, MainFormCenter, OwnerFormCenter)"},
      {"Fill.Color = claNoSuchColour",
       ":2: Error reading F.Fill.Color: Invalid property value: claNoSuchColour (expected a colour name such as claRed, "
       "or xAARRGGBB)"},
      {"Visible = 1", ":2: Error reading F.Visible: Invalid property value (expected False, True)"},
  };
  for (const TCase& C : Cases) {
    const std::string Path = Temp.Write("bad.txt", std::string("object F: TForm\n  ") + C.Line + "\nend\n");
    const TToolRun R = RunForm("check " + Path);
    EXPECT_EQ(R.Status, 1) << C.Line;
    EXPECT_EQ(R.Errors, Path + C.Error + "\n") << C.Line;
  }
}

}  // namespace
