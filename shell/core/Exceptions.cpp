#include "shell/core/Exceptions.h"

std::string Format(const std::string& Fmt, std::initializer_list<std::string> Args) {
  std::string Result;
  Result.reserve(Fmt.size() + 32);
  auto Next = Args.begin();
  for (size_t I = 0; I < Fmt.size(); ++I) {
    char C = Fmt[I];
    if (C == '%' && I + 1 < Fmt.size()) {
      char Spec = Fmt[I + 1];
      if (Spec == '%') {
        Result += '%';
        ++I;
        continue;
      }
      if ((Spec == 's' || Spec == 'd') && Next != Args.end()) {
        Result += *Next++;
        ++I;
        continue;
      }
    }
    Result += C;
  }
  return Result;
}
