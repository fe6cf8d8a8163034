#include "shell/core/PlatformServices.h"

TPlatformServices& TPlatformServices::Current() {
  static TPlatformServices Services;
  return Services;
}

void TPlatformServices::AddPlatformService(const std::string& InterfaceName, void* Service) {
  FServices[InterfaceName] = Service;
}

void TPlatformServices::RemovePlatformService(const std::string& InterfaceName) { FServices.erase(InterfaceName); }

void* TPlatformServices::FindService(std::string_view InterfaceName) const {
  auto It = FServices.find(InterfaceName);
  return It == FServices.end() ? nullptr : It->second;
}
