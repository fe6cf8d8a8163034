#pragma once
// TFileWatch: notices that a file was written or replaced, through inotify on its folder, so
// that editors which save by writing a new file and renaming it over the old one are seen too.
// Polled: Changed() never waits.
#include <string>

class TFileWatch {
 public:
  // Raises Exception "Cannot watch %s" when the folder cannot be watched.
  explicit TFileWatch(const std::string& Path);
  ~TFileWatch();
  TFileWatch(const TFileWatch&) = delete;
  TFileWatch& operator=(const TFileWatch&) = delete;

  // Whether the file was closed after writing or renamed into place since the last
  // call; takes every event waiting.
  bool Changed();

 private:
  int FDescriptor = -1;
  std::string FName;
};
