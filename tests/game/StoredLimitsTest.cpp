// Stored forms edited by hand. Sizes that turn into memory: beyond their limits the load stops
// with an error that names the property, before anything is allocated; sizes the window system
// would correct are corrected. A handler whose component is missing stops with a message.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/Cylinder.h"
#include "scene3d/Layer3D.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/core/Exceptions.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"

namespace {

class StoredLimits : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallHeadlessPlatform();
    RegisterGameClasses();
  }
  void TearDown() override {
    RemoveResource("TFORM1", RT_RCDATA);
    if (Form) Form->Free();
  }

  // Old (which must be there) replaced by New in Text.
  static void Replace(std::string& Text, const std::string& Old, const std::string& New) {
    const size_t At = Text.find(Old);
    EXPECT_NE(At, std::string::npos) << Old;
    if (At != std::string::npos) Text.replace(At, Old.size(), New);
  }
  // The game's stored form with one line replaced.
  static std::string Edited(const std::string& Old, const std::string& New) {
    std::ifstream In(std::string(KELVANE_SOURCE_DIR) + "/resources/Form1.txt", std::ios::binary);
    std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
    Replace(Text, Old, New);
    return Text;
  }
  // Constructs the game's form from Text as its stored description; the load's error, if any.
  std::string Load(const std::string& Text) {
    SetResource("TFORM1", RT_RCDATA, ObjectTextToBinary(Text));
    try {
      Form = NewForm<TForm1>(nullptr);
    } catch (const EReadError& E) {
      return E.Message();
    } catch (const Exception& E) {
      return std::string(E.ClassName()) + ": " + E.Message();
    }
    return "";
  }
  TForm1* Form = nullptr;
};

TEST_F(StoredLimits, SizesBeyondTheLimitsStopTheLoadNamingTheProperty) {
  struct TCase {
    const char *Old, *New, *Error;
  };
  for (const TCase& C : {
           TCase{"    object Cylinder1: TCylinder\n", "    object Cylinder1: TCylinder\n      SubdivisionsAxes = 50000000\n",
                 "Error reading Cylinder1.SubdivisionsAxes: Cylinder mesh too large: SubdivisionsAxes 50000000, "
                 "SubdivisionsCap 1 and SubdivisionsHeight 1 need more than 1048576 vertices"},
           TCase{"      Width = 51.3176422\n", "      Width = 50000.0\n",
                 "Error reading Layer3D1.Width: Layer surface too large: 50000 x 49 pixels at resolution 1 (at most "
                 "16384 on a side and 33554432 in all)"},
           TCase{"      Height = 48.5665627\n", "      Height = 20000.0\n",
                 "Error reading Layer3D1.Height: Layer surface too large: 51 x 20000 pixels at resolution 1 (at most "
                 "16384 on a side and 33554432 in all)"},
       }) {
    EXPECT_EQ(Load(Edited(C.Old, C.New)), C.Error);
    EXPECT_EQ(Form, nullptr);
  }
}

// Any resolution a stored form gives is taken as the setter keeps it: 300 becomes 256, whose
// surface passes the bitmap limits, and the buffer takes the largest scale that fits.
TEST_F(StoredLimits, AResolutionWhoseSurfacePassesTheLimitsGivesACoarserBuffer) {
  ASSERT_EQ(Load(Edited("      Resolution = 50\n", "      Resolution = 300\n")), "");
  TLayer3D* Sea = Form->Layer3D1;
  EXPECT_EQ(Sea->Resolution(), 256);
  EXPECT_EQ(Sea->LayerWidth(), 13137);
  EXPECT_EQ(Sea->LayerHeight(), 12433);
  // The largest scale that fits 2^25 pixels, sqrt(2^25 / (13137 x 12433)) = 0.45325.
  EXPECT_EQ(Sea->BufferWidth(), 5954);
  EXPECT_EQ(Sea->BufferHeight(), 5635);
  EXPECT_NEAR(Sea->BufferScale(), 0.45325f, 1e-5f);
}

TEST_F(StoredLimits, ALayerIsCheckedForItsFinalSizeNotOnTheWayThere) {
  // Stored in this order, the height alone would need 50000 pixels at the default resolution.
  std::string Text = Edited("      Height = 48.5665627\n", "      Height = 1000.0\n");
  Replace(Text, "      Resolution = 50\n", "      Resolution = 1\n");
  Replace(Text, "      Width = 51.3176422\n", "      Width = 1000.0\n");
  ASSERT_EQ(Load(Text), "");
  EXPECT_EQ(Form->Layer3D1->LayerWidth(), 1000);
  EXPECT_EQ(Form->Layer3D1->LayerHeight(), 1000);
}

TEST_F(StoredLimits, AClientSizeBeyondTheLimitsIsCorrectedAsAWindowSystemWould) {
  ASSERT_EQ(Load(Edited("  ClientWidth = 634\n", "  ClientWidth = 2000000000\n")), "");
  EXPECT_EQ(Form->ClientWidth(), 16384);
  EXPECT_EQ(Form->ClientHeight(), 480);
}

TEST_F(StoredLimits, AHandlerWhoseComponentIsMissingStopsWithAMessage) {
  // The ship renamed: the form still binds FormCreate, which runs at the end of construction.
  EXPECT_EQ(Load(Edited("    object Cylinder2: TCylinder\n", "    object Ship: TCylinder\n")),
            "EInvalidOperation: Cylinder2 is missing from the form");
  EXPECT_EQ(Form, nullptr);
}

TEST_F(StoredLimits, LayersThatTogetherPassTheProcessPixelBudgetStopTheLoad) {
  // A hundred layers at the largest buffer each (5792 x 5792 pixels, 128 MB): with the
  // smallest total the machine may have, the eighth beside the sea passes it, and the load stops
  // there, naming it, before any surface is painted. At resolution 300 (kept as 256) the surface
  // is 29655 pixels on a side, but what a layer holds is its buffer, which the limits keep smaller.
  TPixelBudget::SetTotal(TPixelBudget::Floor);
  struct TRestore {
    ~TRestore() { TPixelBudget::SetTotal(0); }
  } Restore;
  const int64_t Before = TPixelBudget::InUse();
  struct TCase {
    const char *Resolution, *Buffer;
  };
  for (const TCase& C : {TCase{"50", "5792 x 5792 pixels need 128.0 MB"}, TCase{"300", "5787 x 5787 pixels need 127.8 MB"}}) {
    std::string Layers;
    for (int I = 1; I <= 100; ++I)
      Layers += "    object Big" + std::to_string(I) + ": TLayer3D\n      Width = 115.84\n      Height = 115.84\n" +
                "      Resolution = " + C.Resolution + "\n    end\n";
    const std::string Error =
        Load(Edited("    object Cylinder2: TCylinder\n", Layers + "    object Cylinder2: TCylinder\n"));
    EXPECT_EQ(Error.rfind(std::string("Error reading Big8.Width: Out of pixel memory: ") + C.Buffer + ", ", 0), 0u)
        << C.Resolution << ": " << Error;
    EXPECT_EQ(Form, nullptr);
    EXPECT_EQ(TPixelBudget::InUse(), Before) << "the freed form gives its shares back";
  }
}

}  // namespace
