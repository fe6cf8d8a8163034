#include "shell/styles/StyleCopy.h"

#include "shell/core/TreeObject.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Stream.h"
#include "shell/stream/Writer.h"

namespace {
// The writer's own component walk follows ownership by a stream root; a style tree is written
// by its parent links instead, whoever owns its parts.
void WriteTree(TWriter& W, TComponent& C) {
  W.WriteStr(C.ClassName());
  W.WriteStr(C.Name());
  W.WriteProperties(&C);
  W.WriteListEnd();
  if (auto* Tree = dynamic_cast<TTreeObject*>(&C))
    for (TTreeObject* Child : Tree->ChildList())
      if (Child->Stored()) WriteTree(W, *Child);
  W.WriteListEnd();
}
}  // namespace

TComponent* ReadStyleObject(const uint8_t* Data, size_t Size) {
  TGlobalNameSpaceLock Lock;
  // A style object is read whole on its own, also while a form that asks for it is loading.
  TSeparateLoading Separate;
  TBufferStream Stream(Data, Size);
  TReader Reader(Stream);
  return Reader.ReadRootComponent(nullptr);
}

std::vector<uint8_t> WriteStyleObject(TComponent& Source) {
  TBytesStream Stream;
  {
    TWriter Writer(Stream);
    Writer.WriteSignature();
    WriteTree(Writer, Source);
    Writer.FlushBuffer();
  }
  return Stream.TakeBytes();
}

TComponent* CloneStyleObject(TComponent& Source) { return ReadStyleObject(WriteStyleObject(Source)); }
