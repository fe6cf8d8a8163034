// Fuzz target for the text form's parser: the input is read as a text form. Besides the
// sanitizers it checks the round trips that must hold for a text that compiles:
// - its binary stream converts to text, and that text compiles to the same bytes;
// - that text, compiled and converted again, is the same text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/stream/ObjectText.h"

namespace {
void Require(bool Condition) {
  if (!Condition) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  std::vector<uint8_t> Compiled;
  try {
    Compiled = ObjectTextToBinary(std::string(reinterpret_cast<const char*>(Data), Size));
  } catch (const EParserError&) {
    return 0;
  }
  // What the parser writes, the binary reader takes: any other error is a fault.
  const std::string Text = ObjectBinaryToText(Compiled);
  Require(ObjectTextToBinary(Text) == Compiled);
  Require(ObjectBinaryToText(ObjectTextToBinary(Text)) == Text);
  return 0;
}
