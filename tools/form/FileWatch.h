#pragma once
// TFileWatch: notices that a file was written, replaced, deleted or moved away, through inotify
// on its folder, so that editors which save by writing a new file and renaming it over the old
// one (or by moving the old one aside first) are seen too. Polled: Poll() never waits.
#include <string>

class TFileWatch {
 public:
  // What became of the file since the last poll: the last of its events counts, so that a
  // save that moves the old file aside and writes a new one is a write.
  enum class TChange { None, Written, Deleted, MovedAway };

  // Raises Exception "Cannot watch %s" when the folder cannot be watched.
  explicit TFileWatch(const std::string& Path);
  ~TFileWatch();
  TFileWatch(const TFileWatch&) = delete;
  TFileWatch& operator=(const TFileWatch&) = delete;

  // Takes every event waiting.
  TChange Poll();

 private:
  int FDescriptor = -1;
  std::string FName;
};
