// Choosing the platform style: the Windows rule by version, the registry's errors, and the
// cache of styles loaded from resources.
#include <gtest/gtest.h>

#include "shell/styles/Rectangle.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleStreaming.h"
#include "tests/styles/StyleTestSupport.h"

namespace {

TEST(WindowsStyleSelection, ChoosesByVersion) {
  struct TCase {
    int Major, Minor;
    const char* Style;
  };
  const TCase Cases[] = {
      {10, 0, "win10style"}, {11, 0, "win10style"},  // Windows 10 and later
      {6, 3, "win8style"},   {6, 2, "win8style"},    // Windows 8.1 and 8
      {7, 0, "win8style"},   {9, 9, "win8style"},    // above 6 but below 10
      {6, 1, "win7style"},   {6, 0, "win7style"},    // Windows 7 and Vista
      {5, 1, "win7style"},
  };
  for (const TCase& C : Cases)
    EXPECT_EQ(WindowsStyleSelection(C.Major, C.Minor), C.Style) << C.Major << "." << C.Minor;
}

TEST(OSRelease, MajorAndMinorFromTheReleaseText) {
  struct TCase {
    const char* Release;
    int Major, Minor;
  };
  const TCase Cases[] = {{"6.1.0-18-amd64", 6, 1}, {"10.0", 10, 0}, {"5", 5, 0}, {"", 0, 0}, {"x.1", 0, 0}};
  for (const TCase& C : Cases) {
    int Major = -1, Minor = -1;
    ParseOSRelease(C.Release, Major, Minor);
    EXPECT_EQ(Major, C.Major) << C.Release;
    EXPECT_EQ(Minor, C.Minor) << C.Release;
  }
  EXPECT_EQ(TOSVersion::Current().Platform, TOSPlatform::Linux);
}

using PlatformStyle = StylesTest;

TEST_F(PlatformStyle, LinuxTakesTheFirstResourceRegisteredForIt) {
  EXPECT_EQ(TStyleManager::PlatformStyleName(nullptr), "win10style");
  TStyleContainer* Style = TStyleManager::ActiveStyle(nullptr);
  ASSERT_NE(Style, nullptr);
  EXPECT_EQ(Style->Description()->Title(), "Windows 10 Desktop");
}

TEST_F(PlatformStyle, WindowsAsksItsSelectionProcedure) {
  Behavior.Platform = TOSPlatform::Windows;
  const std::pair<const char*, const char*> Cases[] = {
      {"win7style", "Windows 7"}, {"win8style", "Windows 8 Desktop"}, {"win10style", "Windows 10 Desktop"}};
  for (auto [Name, Title] : Cases) {
    WindowsStyle = Name;
    EXPECT_EQ(TStyleManager::ActiveStyle(nullptr)->Description()->Title(), Title);
  }
}

TEST_F(PlatformStyle, TheDeviceBehaviourIsAskedAboutTheContext) {
  TComponent Context(nullptr);
  TStyleManager::PlatformStyleName(&Context);
  EXPECT_EQ(Behavior.LastContext, &Context);
}

TEST_F(PlatformStyle, ErrorsOfTheRegistry) {
  Behavior.Platform = TOSPlatform::MacOS;
  try {
    TStyleManager::PlatformStyleName(nullptr);
    FAIL() << "no style for the platform";
  } catch (const EStyleException& E) {
    EXPECT_EQ(E.Message(), "No platform style found for the current platform");
  }
  TStyleManager::UnInitialize();
  try {
    TStyleManager::PlatformStyleName(nullptr);
    FAIL() << "no styles at all";
  } catch (const EStyleException& E) {
    EXPECT_EQ(E.Message(), "No platform styles found");
  }
  TPlatformServices::Current().RemovePlatformService(IDeviceBehavior::ServiceName());
  try {
    TStyleManager::ActiveStyle(nullptr);
    FAIL() << "no device behaviour";
  } catch (const EUnsupportedPlatformService& E) {
    EXPECT_EQ(E.Message(), "Required IDeviceBehavior is not registered");
  }
}

TEST_F(PlatformStyle, ResourcesAreLoadedOnceAndFoundWithoutRegardToCase) {
  TStyleContainer* Lower = TStyleManager::GetStyleResource("win10style");
  ASSERT_NE(Lower, nullptr);
  EXPECT_EQ(TStyleManager::GetStyleResource("WIN10STYLE"), Lower);
  EXPECT_EQ(TStyleManager::ActiveStyle(nullptr), Lower);
  EXPECT_EQ(TStyleManager::GetStyleResource("nostyle"), nullptr);
  // A resource that exists but is no style is refused with the resource's message.
  try {
    TStyleManager::GetStyleResource("TFORM1");
    FAIL() << "TFORM1 is a form";
  } catch (const Exception& E) {
    EXPECT_NE(E.Message(), "");
  }
}

TEST_F(PlatformStyle, ASetStyleWinsAndAStyleChangeReleasesTheControlsStyles) {
  TPaintRootPtr Root(new TPaintRoot());
  TStyleManager::AddScene(Root.get());
  auto* Panel = new TStyledControl(Root.get());
  Panel->SetParent(Root.get());
  Panel->SetStyleLookup("panelstyle");
  ASSERT_NE(Panel->ResourceLink(), nullptr);

  TStyleContainer* Win7 = TStyleStreaming::LoadFromResource(0, "WIN7STYLE", "RCDATA");
  TStyleManager::SetStyle(Win7);
  EXPECT_EQ(TStyleManager::ActiveStyle(nullptr), Win7);
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_TRUE(Panel->NeedsStyleLookup());
  Panel->ApplyStyleLookup();
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  // Windows 7's panel is lighter.
  auto* Rect = dynamic_cast<TRectangle*>(Panel->ResourceLink());
  ASSERT_NE(Rect, nullptr);
  EXPECT_EQ(Rect->Fill()->Color(), 0xFFF4F4F4u);

  TStyleManager::SetStyle(nullptr);
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_EQ(TStyleManager::ActiveStyle(nullptr)->Description()->Title(), "Windows 10 Desktop");
  TStyleManager::RemoveScene(Root.get());
}

}  // namespace
