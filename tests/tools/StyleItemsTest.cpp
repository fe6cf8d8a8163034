// kelvane-style list, show and frame on the three built-in styles and on a style file.
#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <utility>
#include <string>
#include <vector>

#include "shell/canvas/Bitmap.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleStreaming.h"
#include "tests/GoldenImage.h"
#include "tests/tools/ToolRun.h"

namespace {

TToolRun RunStyle(const std::string& Arguments) { return RunTool(KELVANE_STYLE_TOOL, Arguments); }

std::vector<std::string> Lines(const std::string& Text) {
  std::vector<std::string> L;
  std::istringstream In(Text);
  for (std::string Line; std::getline(In, Line);) L.push_back(Line);
  return L;
}

struct TBuiltIn {
  const char* Resource;
  const char* Title;
  size_t Items;
};
const TBuiltIn BuiltIns[] = {
    {"WIN10STYLE", "Windows 10 Desktop", 9},
    {"WIN8STYLE", "Windows 8 Desktop", 9},
    {"WIN7STYLE", "Windows 7", 8},
};

// The index of a built-in style as its bytes hold it: names and sizes.
std::vector<std::pair<std::string, int64_t>> IndexOf(const char* Resource) {
  auto Data = FindResource(Resource, RT_RCDATA);
  if (!Data) return {};
  TBufferStream Stream(Data->data(), Data->size());
  Stream.SetPosition(static_cast<int64_t>(TStyleStreaming::SignatureSize));
  return TStyleStreaming::ReadIndex(Stream);
}

TEST(StyleItemsTest, ListPrintsTheDescriptionThenEveryItemWithItsSizeAndClass) {
  for (const TBuiltIn& S : BuiltIns) {
    SCOPED_TRACE(S.Resource);
    const TToolRun R = RunStyle(std::string("list ") + S.Resource);
    ASSERT_EQ(R.Status, 0) << R.Output;
    const std::vector<std::string> L = Lines(R.Output);
    ASSERT_GE(L.size(), 3u);
    EXPECT_EQ(L[0], std::string("Title: ") + S.Title);
    EXPECT_EQ(L[1], "PlatformTarget: [MSWINDOWS]");
    EXPECT_EQ(L[2], "Version: 1.0");
    const auto Index = IndexOf(S.Resource);
    ASSERT_EQ(Index.size(), S.Items);
    ASSERT_EQ(L.size(), 3 + Index.size());
    for (size_t I = 0; I < Index.size(); ++I) {
      const std::string& Line = L[3 + I];
      const size_t Tab1 = Line.find('\t'), Tab2 = Line.find('\t', Tab1 + 1);
      ASSERT_NE(Tab2, std::string::npos) << Line;
      EXPECT_EQ(Line.substr(0, Tab1), Index[I].first);
      EXPECT_EQ(Line.substr(Tab1 + 1, Tab2 - Tab1 - 1), std::to_string(Index[I].second));
    }
    // The classes of the items the game's controls and forms use.
    auto ClassOf = [&](const std::string& Name) {
      for (size_t I = 3; I < L.size(); ++I)
        if (L[I].rfind(Name + "\t", 0) == 0) return L[I].substr(L[I].rfind('\t') + 1);
      return std::string("(absent)");
    };
    EXPECT_EQ(ClassOf("Description"), "TStyleDescription");
    EXPECT_EQ(ClassOf("backgroundstyle"), "TRectangle");
    EXPECT_EQ(ClassOf("panelstyle"), "TRectangle");
    EXPECT_EQ(ClassOf("buttonstyle"), "TLayout");
    EXPECT_EQ(ClassOf("trackbarstyle"), "TLayout");
    EXPECT_EQ(ClassOf("hthumbbarstyle"), "TButtonStyleObject");
  }
}

TEST(StyleItemsTest, ShowPrintsAnItemAsTextThatCompilesToTheStoredItem) {
  for (const TBuiltIn& S : BuiltIns) {
    SCOPED_TRACE(S.Resource);
    auto Data = FindResource(S.Resource, RT_RCDATA);
    ASSERT_TRUE(Data);
    TBufferStream Stream(Data->data(), Data->size());
    Stream.SetPosition(static_cast<int64_t>(TStyleStreaming::SignatureSize));
    // The items lie back to back after the index; "buttonstyle" is found by adding up sizes.
    const auto Index = TStyleStreaming::ReadIndex(Stream);
    int64_t At = Stream.Position();
    for (const auto& [Name, Size] : Index) {
      if (Name == "buttonstyle" || Name == "Description") {
        const std::vector<uint8_t> Stored(Data->begin() + At, Data->begin() + At + Size);
        // Names are found without regard to case.
        const TToolRun R = RunStyle(std::string("show ") + S.Resource + " " + (Name == "Description" ? "DESCRIPTION" : Name));
        ASSERT_EQ(R.Status, 0) << R.Output;
        EXPECT_EQ(ObjectTextToBinary(R.Output), Stored) << Name;
      }
      At += Size;
    }
  }
  const TToolRun Panel = RunStyle("show win8style panelstyle");
  EXPECT_EQ(Panel.Output.rfind("object TRectangle\n  StyleName = 'panelstyle'\n", 0), 0u) << Panel.Output;
}

TEST(StyleItemsTest, AStyleFileWithoutIndexListsTheChildrenOfItsRoot) {
  TTempFolder Temp;
  const std::string File = Temp.Write("plain.style",
                                      "object TStyleContainer\n"
                                      "  object TStyleDescription\n"
                                      "    Title = 'Plain'\n"
                                      "  end\n"
                                      "  object TRectangle\n"
                                      "    StyleName = 'panelstyle'\n"
                                      "  end\n"
                                      "end\n");
  const TToolRun R = RunStyle("list " + File);
  ASSERT_EQ(R.Status, 0) << R.Output;
  const std::vector<std::string> L = Lines(R.Output);
  ASSERT_EQ(L.size(), 5u) << R.Output;
  EXPECT_EQ(L[0], "Title: Plain");
  EXPECT_EQ(L[1], "PlatformTarget: ");
  EXPECT_EQ(L[2], "Version: ");
  EXPECT_EQ(L[3].substr(0, 12), "Description\t");
  EXPECT_EQ(L[4].substr(0, 11), "panelstyle\t");
  EXPECT_EQ(L[4].substr(L[4].rfind('\t')), "\tTRectangle");
  const TToolRun Show = RunStyle("show " + File + " PanelStyle");
  EXPECT_EQ(Show.Output, "object TRectangle\n  StyleName = 'panelstyle'\nend\n");
}

TEST(StyleItemsTest, Errors) {
  TTempFolder Temp;
  const std::string Other = Temp.Write("other.style",
                                       "object TStyleContainer\n"
                                       "  object TStyleDescription\n"
                                       "    PlatformTarget = '[MACOS]'\n"
                                       "  end\n"
                                       "end\n");
  const std::string Source = std::string(KELVANE_SOURCE_DIR) + "/resources/styles/Win10.txt";
  const std::string Broken = Temp.Write("broken.style", "object TStyleContainer\n  object TRectangle\n    Width 1\n");
  struct TCase {
    std::string Arguments, Output;
  };
  const TCase Cases[] = {
      {"list NOSUCHSTYLE", "kelvane-style: No style file or resource NOSUCHSTYLE\n"},
      {"show WIN10STYLE nosuchstyle", "kelvane-style: No item nosuchstyle in the style\n"},
      {"frame WIN10STYLE nosuchstyle " + Temp.Path() + "/x.png", "kelvane-style: No style object nosuchstyle in the style\n"},
      {"list " + Other, "kelvane-style: Cannot load style from stream\n"},
      // The source the build packs names its artwork where a style holds it.
      {"list " + Source, "kelvane-style: " + Source + " is a style's source, with its artwork named ({@FILE}): this "
                         "wants a packed style (kelvane-style pack " + Source + " OUT.style IMAGEDIR makes one)\n"},
      {"frame " + Source + " buttonstyle " + Temp.Path() + "/x.png",
       "kelvane-style: " + Source + " is a style's source, with its artwork named ({@FILE}): this wants a packed "
       "style (kelvane-style pack " + Source + " OUT.style IMAGEDIR makes one)\n"},
      // A style in the text form names the place of its fault as every tool does.
      {"list " + Broken, Broken + ":3: '=' expected\n"},
      {"frame --size 10 10 " + Broken + " x " + Temp.Path() + "/x.png", Broken + ":3: '=' expected\n"},
  };
  for (const TCase& C : Cases) {
    const TToolRun R = RunStyle(C.Arguments);
    EXPECT_EQ(R.Status, 1) << C.Arguments;
    EXPECT_EQ(R.Output, C.Output) << C.Arguments;
  }
  EXPECT_EQ(RunStyle("frame WIN10STYLE buttonstyle").Status, 2);
  EXPECT_EQ(RunStyle("frame WIN10STYLE buttonstyle x.png --size 0 10").Status, 2);
}

// The button, the slider with its thumb, the thumbs (on the slider that holds them) and the
// panel of each built-in style, against stored pictures: the button and the sliders in their
// four looks side by side, the panel once. The button and the panel fill their picture, at
// the size asked or stored: opaque in the middle of each side of every look.
TEST(StyleItemsTest, FramePaintsTheObjectsOfEachBuiltInStyleInTheirLooks) {
  TTempFolder Temp;
  struct TCase {
    const char* Object;
    const char* Options;
    int Width, Height;  // of the picture
    int Looks;
    bool Fills;
  };
  const TCase Cases[] = {
      {"buttonstyle", "--size 120 40", 4 * 120, 40, 4, true},
      {"trackbarstyle", "--size 120 30 --scale 1.5", 4 * 180, 45, 4, false},
      {"hthumbbarstyle", "--size 60 24", 4 * 60, 24, 4, false},
      {"vthumbbarstyle", "--size 24 60", 4 * 24, 60, 4, false},
      {"panelstyle", "", 50, 50, 1, true},
  };
  for (const TBuiltIn& S : BuiltIns)
    for (const TCase& C : Cases) {
      const std::string Name = std::string(S.Resource) + "-" + C.Object;
      SCOPED_TRACE(Name);
      const std::string Out = Temp.Path() + "/" + Name + ".png";
      const TToolRun R = RunStyle(std::string("frame ") + S.Resource + " " + C.Object + " " + Out + " " + C.Options);
      ASSERT_EQ(R.Status, 0) << R.Output;
      TBitmap Frame;
      Frame.LoadFromFile(Out);
      ASSERT_EQ(Frame.Width(), C.Width);
      ASSERT_EQ(Frame.Height(), C.Height);
      const int W = C.Width / C.Looks, H = C.Height;
      for (int Look = 0; C.Fills && Look < C.Looks; ++Look)
        for (auto [X, Y] : {std::pair{0, H / 2}, {W - 1, H / 2}, {W / 2, 0}, {W / 2, H - 1}})
          EXPECT_NE(Frame.Pixel(Look * W + X, Y) >> 24, 0u) << "look " << Look << " at (" << X << ", " << Y << ")";
      golden::ExpectMatchesGolden(Frame, std::string(KELVANE_SOURCE_DIR) + "/tests/tools/golden/" + Name + ".png");
    }
}

}  // namespace

namespace {

// The build's art command makes the folder it is given, with its parents.
TEST(StyleItemsTest, ArtMakesItsFolder) {
  TTempFolder Temp;
  const std::string Folder = Temp.Path() + "/art/win10";
  const TToolRun R = RunStyle("art win10 " + Folder);
  ASSERT_EQ(R.Status, 0) << R.Output;
  TBitmap Image;
  Image.LoadFromFile(Folder + "/win10-style-1.0.png");
  EXPECT_GT(Image.Width(), 0);
  // Where no folder can be: said, not a crash.
  const std::string File = Temp.Write("file", "x");
  const TToolRun Blocked = RunStyle("art win10 " + File + "/art");
  EXPECT_EQ(Blocked.Status, 1);
  EXPECT_EQ(Blocked.Output.rfind("kelvane-style: cannot create " + File + "/art: ", 0), 0u) << Blocked.Output;
}

}  // namespace
