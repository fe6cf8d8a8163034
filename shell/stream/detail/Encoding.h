#pragma once
// Text encodings met in form streams: ANSI (Windows-1252) short and long strings, UTF-16
// wide strings and UTF-8 everywhere else. Property values are held as UTF-8.
#include <cstddef>
#include <string>

namespace StreamEncoding {
std::string AnsiToUtf8(const std::string& Ansi);
// Lone surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& Wide);
// Malformed bytes become U+FFFD, one per byte.
std::u16string Utf8ToUtf16(const std::string& Utf8);
// UTF-16 code units as a wide string stores them, two bytes each, least significant first.
std::u16string Utf16FromLittleEndian(const std::string& Bytes);
void AppendUtf8(std::string& Out, char32_t CodePoint);
// The length of the well-formed UTF-8 sequence of two or more bytes at S[I], or 0.
size_t Utf8SequenceLength(const std::string& S, size_t I);
bool IsAscii(const std::string& S);
}  // namespace StreamEncoding
