#include "shell/controls/Accelerator.h"

std::string TextWithoutAccelerator(const std::string& Text) {
  std::string Out;
  Out.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    // A lone "&" at the end marks nothing and stays.
    if (Text[I] == '&' && I + 1 < Text.size()) ++I;
    Out += Text[I];
  }
  return Out;
}

uint16_t AcceleratorKey(const std::string& Text) {
  for (size_t I = 0; I + 1 < Text.size(); ++I) {
    if (Text[I] != '&') continue;
    const char C = Text[++I];
    if (C == '&') continue;
    if (C >= 'a' && C <= 'z') return static_cast<uint16_t>(C - 'a' + 'A');
    if ((C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9')) return static_cast<uint16_t>(C);
    return 0;
  }
  return 0;
}
