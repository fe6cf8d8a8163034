#include "shell/core/PropertyText.h"

#include <charconv>
#include <cstdio>

#include "shell/core/MetaClass.h"
#include "shell/core/TypeInfo.h"

std::string FormatSingleText(float Value) {
  char Buffer[64];
  auto [End, Ec] = std::to_chars(Buffer, Buffer + sizeof Buffer, Value);
  return std::string(Buffer, End);
}

std::optional<std::string> FormatPlainProperty(TObject* O, const TPropInfo& P) {
  const TTypeInfo& T = *P.Type;
  switch (T.Kind) {
    case TTypeKind::Float: {
      if (T.FloatType == TFloatType::Single) return FormatSingleText(static_cast<float>(P.GetFloat(O)));
      char Buffer[64];
      auto [End, Ec] = std::to_chars(Buffer, Buffer + sizeof Buffer, static_cast<double>(P.GetFloat(O)));
      return std::string(Buffer, End);
    }
    case TTypeKind::Enumeration: {
      const int64_t V = P.GetOrd(O);
      return V >= 0 && V < static_cast<int64_t>(T.Names.size()) ? T.Names[static_cast<size_t>(V)] : std::to_string(V);
    }
    case TTypeKind::Set: {
      const int64_t V = P.GetOrd(O);
      std::string S = "[";
      for (size_t I = 0; I < T.Names.size(); ++I)
        if ((V >> I) & 1) S += (S.size() > 1 ? ", " : "") + T.Names[I];
      return S + "]";
    }
    case TTypeKind::String: {
      std::string S = "\"";
      S += P.GetStr(O);
      S += '"';
      return S;
    }
    case TTypeKind::Method:
    case TTypeKind::Class:
      return std::nullopt;
    default: {
      const int64_t V = P.GetOrd(O);
      if (&T == &TypeInfos::AlphaColor()) {
        char Buffer[16];
        std::snprintf(Buffer, sizeof Buffer, "#%08X", static_cast<unsigned>(V & 0xFFFFFFFF));
        return std::string(Buffer);
      }
      return std::to_string(V);
    }
  }
}
