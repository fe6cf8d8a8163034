#include "shell/controls/KeyNames.h"

#include <charconv>

#include "shell/controls/InputTypes.h"
#include "shell/core/TypeInfo.h"

namespace {
constexpr uint16_t vkInsert = 45;
constexpr uint16_t vkDelete = 46;
constexpr uint16_t vkF1 = 112;

struct TNamedKey {
  const char* Name;
  uint16_t Key;
};
const TNamedKey NamedKeys[] = {
    {"Return", vkReturn}, {"Escape", vkEscape}, {"Tab", vkTab},     {"space", vkSpace},    {"BackSpace", vkBack},
    {"Insert", vkInsert}, {"Delete", vkDelete}, {"Left", vkLeft},   {"Right", vkRight},    {"Up", vkUp},
    {"Down", vkDown},     {"Home", vkHome},     {"End", vkEnd},     {"PageUp", vkPrior},   {"PageDown", vkNext},
};
}  // namespace

std::string KeyName(uint16_t Key) {
  if (Key == 0) return "-";
  for (const TNamedKey& K : NamedKeys)
    if (K.Key == Key) return K.Name;
  if ((Key >= 'A' && Key <= 'Z') || (Key >= '0' && Key <= '9')) return std::string(1, static_cast<char>(Key));
  if (Key >= vkF1 && Key < vkF1 + 12) {
    std::string Name = "F";
    Name += std::to_string(Key - vkF1 + 1);
    return Name;
  }
  return std::to_string(Key);
}

bool KeyFromName(const std::string& Name, uint16_t& Key) {
  if (Name.empty()) return false;
  if (Name == "-") {
    Key = 0;
    return true;
  }
  for (const TNamedKey& K : NamedKeys)
    if (SameText(Name, K.Name)) {
      Key = K.Key;
      return true;
    }
  if (Name.size() == 1 && ((Name[0] >= 'a' && Name[0] <= 'z') || (Name[0] >= 'A' && Name[0] <= 'Z'))) {
    Key = static_cast<uint16_t>(Name[0] >= 'a' ? Name[0] - 'a' + 'A' : Name[0]);
    return true;
  }
  // A single digit is the digit's key, whose code is the digit's character; longer numbers
  // are codes.
  if (Name.size() == 1 && Name[0] >= '0' && Name[0] <= '9') {
    Key = static_cast<uint16_t>(Name[0]);
    return true;
  }
  if (Name.size() >= 2 && Name.size() <= 3 && (Name[0] == 'F' || Name[0] == 'f') && Name[1] != '0' &&
      Name.find_first_not_of("0123456789", 1) == std::string::npos) {
    const int N = std::stoi(Name.substr(1));
    if (N < 1 || N > 12) return false;
    Key = static_cast<uint16_t>(vkF1 + N - 1);
    return true;
  }
  unsigned V = 0;
  auto [Ptr, Ec] = std::from_chars(Name.data(), Name.data() + Name.size(), V);
  if (Ec != std::errc() || Ptr != Name.data() + Name.size() || V > 0xFFFF) return false;
  Key = static_cast<uint16_t>(V);
  return true;
}
