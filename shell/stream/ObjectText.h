#pragma once
// The text form of form streams: a readable notation of the binary format, converted both
// ways without loss. resources/README.md describes the notation.
#include <cstdint>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Exceptions.h"

/// A text form that does not parse; the message names the line ("<what> on line <n>"), which
/// the tools also take apart to print "FILE:LINE: <what>".
class KELVANE_API EParserError : public EConvertError {
 public:
  using EConvertError::EConvertError;
  EParserError(const std::string& AWhat, int ALine)
      : EConvertError(AWhat + " on line " + std::to_string(ALine)), What(AWhat), Line(ALine) {}
  const char* ClassName() const noexcept override { return "EParserError"; }
  std::string What;
  int Line = 0;  // 0 when not known
};

/// Binary stream to text. Raises EReadError ("Invalid stream format", "Stream read error",
/// "Invalid property value") for a stream that cannot be converted.
KELVANE_API std::string ObjectBinaryToText(const std::vector<uint8_t>& Binary);
/// Text to binary stream. Raises EParserError "<what> on line <n>".
KELVANE_API std::vector<uint8_t> ObjectTextToBinary(const std::string& Text);
