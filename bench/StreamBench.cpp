// The form stream: loading and storing a component tree of the stream tests' classes, and the
// text form of the game's description both ways.
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>

#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Writer.h"
#include "tests/stream/TestClasses.h"

namespace {
// A form with Count objects, each with a few stored values, a reference and an event.
TTestForm* MakeForm(int Count) {
  RegisterTestClasses();
  auto* Form = new TTestForm(nullptr);
  Form->SetName("Bench");
  TTestObject* Previous = nullptr;
  for (int I = 0; I < Count; ++I) {
    auto* O = new TTestObject(Form);
    O->SetName("Object" + std::to_string(I + 1));
    O->SetParent(Previous && I % 4 ? static_cast<TTreeObject*>(Previous) : Form);
    O->SetInt(I);
    O->SetRatio(0.5f * static_cast<float>(I));
    O->SetText("item");
    O->Position()->SetZ(-10);
    O->SetRef(Previous);
    O->SetOnClick(TNotifyEvent(Form, &TTestForm::Object1Click));
    Previous = O;
  }
  return Form;
}

std::vector<uint8_t> Store(TComponent* Root) {
  TBytesStream Stream;
  TWriter Writer(Stream);
  Writer.WriteRootComponent(Root);
  return Stream.TakeBytes();
}

std::string Form1Text() {
  std::ifstream In(std::string(KELVANE_SOURCE_DIR) + "/resources/Form1.txt", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

void BM_ReadComponentTree(benchmark::State& State) {
  TTestForm* Source = MakeForm(static_cast<int>(State.range(0)));
  std::vector<uint8_t> Bytes = Store(Source);
  Source->Free();
  for (auto _ : State) {
    auto* Form = new TTestForm(nullptr);
    TBufferStream Stream(Bytes.data(), Bytes.size());
    TReader Reader(Stream);
    Reader.ReadRootComponent(Form);
    Form->Free();
  }
  State.SetBytesProcessed(static_cast<int64_t>(State.iterations() * Bytes.size()));
}
BENCHMARK(BM_ReadComponentTree)->Arg(12)->Arg(200);

// Loading and freeing a form of many components, all owned by the form: the time per
// component stays flat as the count grows (the complexity fit is reported as well).
TTestForm* Load(const std::vector<uint8_t>& Bytes) {
  auto* Form = new TTestForm(nullptr);
  TBufferStream Stream(Bytes.data(), Bytes.size());
  TReader Reader(Stream);
  Reader.ReadRootComponent(Form);
  TestLog().clear();
  return Form;
}

std::vector<uint8_t> StoredForm(int Count) {
  TTestForm* Source = MakeForm(Count);
  std::vector<uint8_t> Bytes = Store(Source);
  Source->Free();
  return Bytes;
}

void BM_LoadManyComponents(benchmark::State& State) {
  const std::vector<uint8_t> Bytes = StoredForm(static_cast<int>(State.range(0)));
  for (auto _ : State) Load(Bytes)->Free();
  State.SetComplexityN(State.range(0));
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_LoadManyComponents)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Arg(16000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_FreeManyComponents(benchmark::State& State) {
  const std::vector<uint8_t> Bytes = StoredForm(static_cast<int>(State.range(0)));
  for (auto _ : State) {
    State.PauseTiming();
    TTestForm* Form = Load(Bytes);
    State.ResumeTiming();
    Form->Free();
  }
  State.SetComplexityN(State.range(0));
  State.SetItemsProcessed(State.iterations() * State.range(0));
}
BENCHMARK(BM_FreeManyComponents)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Arg(16000)->Unit(benchmark::kMillisecond)->Complexity();

void BM_WriteComponentTree(benchmark::State& State) {
  TTestForm* Form = MakeForm(static_cast<int>(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(Store(Form));
  Form->Free();
}
BENCHMARK(BM_WriteComponentTree)->Arg(12)->Arg(200);

void BM_Form1TextToBinary(benchmark::State& State) {
  std::string Text = Form1Text();
  for (auto _ : State) benchmark::DoNotOptimize(ObjectTextToBinary(Text));
}
BENCHMARK(BM_Form1TextToBinary);

void BM_Form1BinaryToText(benchmark::State& State) {
  std::vector<uint8_t> Bytes = ObjectTextToBinary(Form1Text());
  for (auto _ : State) benchmark::DoNotOptimize(ObjectBinaryToText(Bytes));
}
BENCHMARK(BM_Form1BinaryToText);
}  // namespace

BENCHMARK_MAIN();
