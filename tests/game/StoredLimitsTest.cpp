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
           TCase{"      Width = 51.3176422\n", "      Width = 5000.0\n",
                 "Error reading Layer3D1.Width: Layer surface too large: 250000 x 2428 pixels (at most 16384 on a "
                 "side and 33554432 in all)"},
           TCase{"      Resolution = 50\n", "      Resolution = 256\n",
                 "Error reading Layer3D1.Width: Layer surface too large: 13137 x 12433 pixels (at most 16384 on a "
                 "side and 33554432 in all)"},
       }) {
    EXPECT_EQ(Load(Edited(C.Old, C.New)), C.Error);
    EXPECT_EQ(Form, nullptr);
  }
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
  // A hundred layers at the largest surface each (5792 x 5792 pixels, 128 MB): with the
  // smallest total the machine may have, the eighth beside the sea passes it, and the load stops
  // there, naming it, before any surface is painted.
  TPixelBudget::SetTotal(TPixelBudget::Floor);
  struct TRestore {
    ~TRestore() { TPixelBudget::SetTotal(0); }
  } Restore;
  const int64_t Before = TPixelBudget::InUse();
  std::string Layers;
  for (int I = 1; I <= 100; ++I)
    Layers += "    object Big" + std::to_string(I) +
              ": TLayer3D\n      Width = 115.84\n      Height = 115.84\n      Resolution = 50\n    end\n";
  const std::string Error = Load(Edited("    object Cylinder2: TCylinder\n", Layers + "    object Cylinder2: TCylinder\n"));
  EXPECT_EQ(Error.rfind("Error reading Big8.Width: Out of pixel memory: 5792 x 5792 pixels need 128.0 MB, ", 0), 0u)
      << Error;
  EXPECT_EQ(Form, nullptr);
  EXPECT_EQ(TPixelBudget::InUse(), Before) << "the freed form gives its shares back";
}

}  // namespace
