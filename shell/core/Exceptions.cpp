#include "shell/core/Exceptions.h"

std::string Format(const std::string& Fmt, std::initializer_list<std::string> Args) {
  std::string Result;
  Result.reserve(Fmt.size() + 32);
  auto Next = Args.begin();
  for (size_t I = 0; I < Fmt.size(); ++I) {
    char C = Fmt[I];
    if (C == '%' && I + 1 < Fmt.size()) {
      char Conversion = Fmt[I + 1];
      if (Conversion == '%') {
        Result += '%';
        ++I;
        continue;
      }
      if ((Conversion == 's' || Conversion == 'd') && Next != Args.end()) {
        Result += *Next++;
        ++I;
        continue;
      }
    }
    Result += C;
  }
  return Result;
}

EReadError PropertyReadError(const std::string& Label, const std::string& Path, const std::string& Message) {
  return EReadError(Format("Error reading %s%s%s: %s", {Label, ".", Path, Message}));
}
