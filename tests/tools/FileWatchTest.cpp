// The previewer's file watch: what became of the file since the last look, with editors' ways
// of saving (in place, a new file renamed over it, the old one moved aside first).
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "shell/core/Exceptions.h"
#include "tests/tools/ToolRun.h"
#include "tools/form/FileWatch.h"

namespace {

using TChange = TFileWatch::TChange;

TEST(FileWatchTest, TheLastOfTheFilesEventsSaysWhatBecameOfIt) {
  struct TCase {
    const char* Name;
    std::function<void(const TTempFolder&, const std::string& Path)> Do;
    TChange Expected;
  };
  const TCase Cases[] = {
      {"nothing", [](const TTempFolder&, const std::string&) {}, TChange::None},
      {"written in place", [](const TTempFolder& F, const std::string&) { F.Write("form.txt", "b"); }, TChange::Written},
      {"a new file renamed over it",
       [](const TTempFolder& F, const std::string& Path) { std::rename(F.Write("form.new", "b").c_str(), Path.c_str()); },
       TChange::Written},
      {"deleted", [](const TTempFolder&, const std::string& Path) { std::remove(Path.c_str()); }, TChange::Deleted},
      {"moved away",
       [](const TTempFolder& F, const std::string& Path) { std::rename(Path.c_str(), (F.Path() + "/form.txt~").c_str()); },
       TChange::MovedAway},
      {"moved aside, then written anew",
       [](const TTempFolder& F, const std::string& Path) {
         std::rename(Path.c_str(), (F.Path() + "/form.txt~").c_str());
         F.Write("form.txt", "b");
       },
       TChange::Written},
      {"written, then deleted",
       [](const TTempFolder& F, const std::string& Path) {
         F.Write("form.txt", "b");
         std::remove(Path.c_str());
       },
       TChange::Deleted},
      {"another file of the folder",
       [](const TTempFolder& F, const std::string&) {
         F.Write("form.txt.bak", "b");
         std::remove((F.Path() + "/form.txt.bak").c_str());
       },
       TChange::None},
  };
  for (const TCase& C : Cases) {
    SCOPED_TRACE(C.Name);
    TTempFolder Folder;
    const std::string Path = Folder.Write("form.txt", "a");
    TFileWatch Watch(Path);
    C.Do(Folder, Path);
    EXPECT_EQ(Watch.Poll(), C.Expected);
    // Taken: the next look sees nothing new.
    EXPECT_EQ(Watch.Poll(), TChange::None);
  }
}

TEST(FileWatchTest, AFolderThatIsNotThereCannotBeWatched) {
  try {
    TFileWatch Watch("/nonexistent-kelvane-folder/form.txt");
    FAIL() << "watched";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message().rfind("Cannot watch /nonexistent-kelvane-folder/form.txt: ", 0), 0u) << E.Message();
  }
}

}  // namespace
