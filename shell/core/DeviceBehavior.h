#pragma once
// What the running system is: its platform and version, and the device-behaviour service that
// names the platform a control runs on (styles are chosen by it).
#include "shell/core/Export.h"
#include <string>

class TComponent;

enum class TOSPlatform { Windows, MacOS, iOS, Android, Linux };

/// The operating system's version as the system reports it.
struct KELVANE_API TOSVersion {
  TOSPlatform Platform = TOSPlatform::Linux;
  int Major = 0;
  int Minor = 0;

  /// The system the program runs on.
  static TOSVersion Current();
  /// Whether the version is at least AMajor.AMinor.
  bool Check(int AMajor, int AMinor = 0) const { return Major > AMajor || (Major == AMajor && Minor >= AMinor); }
};

/// Reads "major.minor" from the start of a release text ("6.1.0-18-amd64" gives 6 and 1);
/// missing numbers are 0.
void ParseOSRelease(const std::string& Release, int& Major, int& Minor);

/// The platform service that names the operating system platform for a control (Context may be
/// none).
class KELVANE_API IDeviceBehavior {
 public:
  static const char* ServiceName() { return "IDeviceBehavior"; }
  virtual ~IDeviceBehavior() = default;
  virtual TOSPlatform GetOSPlatform(TComponent* Context) = 0;
};

/// The device behaviour of the system the program runs on: every control is on its platform.
class KELVANE_API TSystemDeviceBehavior : public IDeviceBehavior {
 public:
  TOSPlatform GetOSPlatform(TComponent*) override { return TOSVersion::Current().Platform; }
};
