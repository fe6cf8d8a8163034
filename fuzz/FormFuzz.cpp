// Fuzz target for stored forms with the real classes: the input is read as the stored
// description of the game's form onto a new TForm1, as start-up does, on the headless back end
// with the null 3D device and every class of the game and the framework registered, so that the
// real setters, sizes, references, events and Loaded steps run. A form that loads is painted
// once (styles applied, the viewport's frame drawn, the layers' surfaces painted) and written;
// the writing loads again and writes the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "game/Register.h"
#include "game/Unit1.h"
#include "scene3d/context/ContextManager.h"
#include "shell/core/Exceptions.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Writer.h"

namespace {
// Stops the run, saying why: the found input alone does not tell which check failed.
void Require(bool Condition, const std::string& Why) {
  if (Condition) return;
  std::fprintf(stderr, "%s\n", Why.c_str());
  std::abort();
}

std::string TextOf(const std::vector<uint8_t>& Bytes) {
  try {
    return ObjectBinaryToText(Bytes);
  } catch (const Exception& E) {
    return E.Message();
  }
}

void SetUp() {
  THeadlessOptions Options;
  Options.PrintErrorBoxes = false;
  InstallHeadlessPlatform(Options);
  TContextManager::SetDeviceChoice(TDeviceChoice::Null);
  RegisterGameClasses();
}

// The form that Bytes describe, or none (and why) when loading refuses them.
TForm1* Load(const std::vector<uint8_t>& Bytes, std::string* Why = nullptr) {
  SetResource("TFORM1", RT_RCDATA, Bytes);
  try {
    return NewForm<TForm1>(nullptr);
  } catch (const Exception& E) {
    if (Why) *Why = E.Message();
    return nullptr;
  }
}

// What a paint message does: every control takes its style, the viewport draws its frame and
// the layers paint their surfaces.
void Paint(TForm1* Form) {
  try {
    Form->PaintRects({Form->ClientRect()});
  } catch (const Exception&) {
    // A handler or a style may refuse with a message, as an error box would show it.
  }
}

std::vector<uint8_t> Write(TComponent* Root) {
  TBytesStream Stream;
  TWriter Writer(Stream);
  Writer.WriteRootComponent(Root);
  return Stream.TakeBytes();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static const bool Ready = (SetUp(), true);
  (void)Ready;
  TForm1* Form = Load(std::vector<uint8_t>(Data, Data + Size));
  if (!Form) return 0;
  Paint(Form);
  std::vector<uint8_t> First;
  try {
    First = Write(Form);
  } catch (const EWriteError&) {
    // A value that loads but cannot be written (a name longer than a short string).
    Form->Free();
    return 0;
  }
  Form->Free();
  std::string Why;
  TForm1* Again = Load(First, &Why);
  Require(Again != nullptr, "The form as written does not load again: " + Why + "\n" + TextOf(First));
  Paint(Again);  // the styles decide some sizes, so both are compared after a paint
  const std::vector<uint8_t> Second = Write(Again);
  Again->Free();
  Require(Second == First, "The form written, read and written again differs:\n" + TextOf(First) + "--- again:\n" + TextOf(Second));
  return 0;
}
