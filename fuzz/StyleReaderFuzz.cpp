// Fuzz target for the style reader: the input is loaded as a style file (indexed, older or
// plain object stream), and what loads is handed out as copies, as controls get them. Besides
// the sanitizers it checks that every copy written as an object stream reads back to an object
// that writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

#include "shell/core/Exceptions.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleStreaming.h"

namespace {
void Require(bool Condition) {
  if (!Condition) std::abort();
}

using TPtr = std::unique_ptr<TComponent, TComponentDeleter>;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  RegisterStyleClasses();
  TBufferStream Stream(Data, Size);
  std::unique_ptr<TStyleContainer, TComponentDeleter> Style;
  try {
    Style.reset(TStyleStreaming::LoadFromStream(Stream));
  } catch (const Exception&) {
    return 0;
  }
  for (TTreeObject* Item : std::vector<TTreeObject*>(Style->ChildList())) {
    try {
      TPtr Copy(Style->CreateCopy(*Item));
      if (!Copy) continue;
      const std::vector<uint8_t> First = WriteStyleObject(*Copy);
      TPtr Again(ReadStyleObject(First));
      Require(WriteStyleObject(*Again) == First);
    } catch (const Exception&) {
      // A value that reads but cannot be written again (a name too long for a short string)
      // is refused with a message; anything else is a fault.
    }
  }
  return 0;
}
