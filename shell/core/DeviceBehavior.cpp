#include "shell/core/DeviceBehavior.h"

#include <sys/utsname.h>

#include <cctype>

void ParseOSRelease(const std::string& Release, int& Major, int& Minor) {
  Major = Minor = 0;
  size_t I = 0;
  auto Number = [&](int& Out) {
    bool Any = false;
    while (I < Release.size() && std::isdigit(static_cast<unsigned char>(Release[I]))) {
      if (Out < 100000) Out = Out * 10 + (Release[I] - '0');
      ++I;
      Any = true;
    }
    return Any;
  };
  if (!Number(Major)) return;
  if (I < Release.size() && Release[I] == '.') {
    ++I;
    Number(Minor);
  }
}

TOSVersion TOSVersion::Current() {
  static const TOSVersion Version = [] {
    TOSVersion V;
    V.Platform = TOSPlatform::Linux;
    utsname Name{};
    if (uname(&Name) == 0) ParseOSRelease(Name.release, V.Major, V.Minor);
    return V;
  }();
  return Version;
}
