#pragma once
// The registry of platform services: the shell asks for a service by its interface, and the
// platform layer that is in use supplies it. The interfaces themselves live next to the code
// that declares them (shell/app for the application and timer services); a back end registers
// its object under each interface's name.
#include <map>
#include <string>
#include <string_view>

#include "shell/core/Export.h"
#include "shell/core/Exceptions.h"

/// The registry of platform services: the shell asks for a service by its interface, and the
/// platform in use supplies it.
class KELVANE_API TPlatformServices {
 public:
  static TPlatformServices& Current();

  /// Registers Service under the interface name (for example "ITimerService").
  void AddPlatformService(const std::string& InterfaceName, void* Service);
  void RemovePlatformService(const std::string& InterfaceName);
  /// Looked up without building a string: the loop asks on every message.
  void* FindService(std::string_view InterfaceName) const;

  /// The service behind interface I (I::ServiceName() gives its name), or nullptr.
  template <typename I>
  I* Find() const {
    return static_cast<I*>(FindService(I::ServiceName()));
  }
  /// The service behind I; raises EUnsupportedPlatformService when there is none.
  template <typename I>
  I& Get() const {
    if (I* S = Find<I>()) return *S;
    throw EUnsupportedPlatformService(Format("Unsupported platform service: %s", {I::ServiceName()}));
  }

 private:
  std::map<std::string, void*, std::less<>> FServices;
};
