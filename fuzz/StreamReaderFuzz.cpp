// Fuzz target for the form stream: the input is loaded as a binary description onto a form
// of the tests' component classes (every property kind, sub-objects, collections, references,
// events, defined properties), and converted to text (the text form's parser has a target of
// its own). Besides the sanitizers, it checks the round trips that must hold:
// - a stream that loads is written, the writing loads again and writes the same bytes;
// - a stream that loads converts to text, and the text compiles back to the bytes read.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "shell/core/Exceptions.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Writer.h"
#include "tests/stream/TestClasses.h"

namespace {
void Require(bool Condition) {
  if (!Condition) std::abort();
}

// Loads Bytes onto a new form, as a form's constructor does; none if the stream is refused.
TTestForm* Load(const std::vector<uint8_t>& Bytes) {
  auto* Form = new TTestForm(nullptr);
  SetResource("TTestForm", RT_RCDATA, Bytes);
  try {
    InitInheritedComponent(Form, TTreeObject::StaticClass());
  } catch (const Exception&) {
    Form->Free();
    return nullptr;
  }
  return Form;
}

std::vector<uint8_t> Write(TComponent* Root) {
  TBytesStream Stream;
  TWriter Writer(Stream);
  Writer.WriteRootComponent(Root);
  return Stream.TakeBytes();
}

bool IsPrefixOf(const std::vector<uint8_t>& Part, const uint8_t* Data, size_t Size) {
  return Part.size() <= Size && std::equal(Part.begin(), Part.end(), Data);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  RegisterTestClasses();
  TestLog().clear();
  std::vector<uint8_t> Input(Data, Data + Size);

  bool Loaded = false;
  if (TTestForm* Form = Load(Input)) {
    Loaded = true;
    std::vector<uint8_t> First = Write(Form);
    Form->Free();
    TTestForm* Again = Load(First);
    Require(Again != nullptr);
    Require(Write(Again) == First);
    Again->Free();
  }

  try {
    std::string Text = ObjectBinaryToText(Input);
    std::vector<uint8_t> Back = ObjectTextToBinary(Text);
    Require(IsPrefixOf(Back, Data, Size));
  } catch (const EReadError&) {
    // Whatever the reader accepts, the text form can hold.
    Require(!Loaded);
  }

  RemoveResource("TTestForm", RT_RCDATA);
  return 0;
}
