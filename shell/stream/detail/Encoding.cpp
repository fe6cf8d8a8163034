#include "shell/stream/detail/Encoding.h"

namespace StreamEncoding {
namespace {
// Windows-1252 at 0x80..0x9F; the five unassigned bytes map to the C1 controls, as Windows does.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one code point at S[I]; malformed input gives U+FFFD and advances one byte.
char32_t DecodeUtf8(const std::string& S, size_t& I) {
  size_t N = Utf8SequenceLength(S, I);
  auto B = [&](size_t K) { return static_cast<unsigned char>(S[I + K]); };
  char32_t C;
  if (N == 0) {
    C = B(0) < 0x80 ? B(0) : 0xFFFD;
    ++I;
    return C;
  }
  if (N == 2) C = ((B(0) & 0x1Fu) << 6) | (B(1) & 0x3Fu);
  else if (N == 3) C = ((B(0) & 0x0Fu) << 12) | ((B(1) & 0x3Fu) << 6) | (B(2) & 0x3Fu);
  else C = ((B(0) & 0x07u) << 18) | ((B(1) & 0x3Fu) << 12) | ((B(2) & 0x3Fu) << 6) | (B(3) & 0x3Fu);
  I += N;
  return C;
}
}  // namespace

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

size_t Utf8SequenceLength(const std::string& S, size_t I) {
  auto At = [&](size_t K) -> unsigned { return I + K < S.size() ? static_cast<unsigned char>(S[I + K]) : 0u; };
  auto Cont = [&](size_t K) { return (At(K) & 0xC0u) == 0x80u; };
  unsigned B0 = At(0);
  if (I >= S.size() || B0 < 0xC2 || B0 > 0xF4) return 0;
  if (B0 < 0xE0) return Cont(1) ? 2 : 0;
  if (B0 < 0xF0) {
    unsigned B1 = At(1);
    if (!Cont(1) || !Cont(2)) return 0;
    if (B0 == 0xE0 && B1 < 0xA0) return 0;  // overlong
    if (B0 == 0xED && B1 >= 0xA0) return 0;  // surrogate
    return 3;
  }
  unsigned B1 = At(1);
  if (!Cont(1) || !Cont(2) || !Cont(3)) return 0;
  if (B0 == 0xF0 && B1 < 0x90) return 0;  // overlong
  if (B0 == 0xF4 && B1 >= 0x90) return 0;  // beyond U+10FFFF
  return 4;
}

std::u16string Utf16FromLittleEndian(const std::string& Bytes) {
  std::u16string Wide(Bytes.size() / 2, u'\0');
  for (size_t I = 0; I < Wide.size(); ++I)
    Wide[I] = static_cast<char16_t>(static_cast<uint8_t>(Bytes[2 * I]) | (static_cast<uint8_t>(Bytes[2 * I + 1]) << 8));
  return Wide;
}

std::string AnsiToUtf8(const std::string& Ansi) {
  std::string Out;
  Out.reserve(Ansi.size());
  for (char Ch : Ansi) {
    auto B = static_cast<unsigned char>(Ch);
    if (B < 0x80) Out += Ch;
    else if (B < 0xA0) AppendUtf8(Out, Cp1252High[B - 0x80]);
    else AppendUtf8(Out, B);
  }
  return Out;
}

std::string Utf16ToUtf8(const std::u16string& Wide) {
  std::string Out;
  Out.reserve(Wide.size());
  for (size_t I = 0; I < Wide.size(); ++I) {
    char32_t C = Wide[I];
    if (C >= 0xD800 && C < 0xDC00 && I + 1 < Wide.size() && Wide[I + 1] >= 0xDC00 && Wide[I + 1] < 0xE000) {
      C = 0x10000 + ((C - 0xD800) << 10) + (Wide[I + 1] - 0xDC00);
      ++I;
    } else if (C >= 0xD800 && C < 0xE000) {
      C = 0xFFFD;
    }
    AppendUtf8(Out, C);
  }
  return Out;
}

std::u16string Utf8ToUtf16(const std::string& Utf8) {
  std::u16string Out;
  Out.reserve(Utf8.size());
  for (size_t I = 0; I < Utf8.size();) {
    char32_t C = DecodeUtf8(Utf8, I);
    if (C >= 0x10000) {
      C -= 0x10000;
      Out += static_cast<char16_t>(0xD800 + (C >> 10));
      Out += static_cast<char16_t>(0xDC00 + (C & 0x3FF));
    } else {
      Out += static_cast<char16_t>(C);
    }
  }
  return Out;
}

bool IsAscii(const std::string& S) {
  for (char C : S)
    if (static_cast<unsigned char>(C) >= 0x80) return false;
  return true;
}
}  // namespace StreamEncoding
