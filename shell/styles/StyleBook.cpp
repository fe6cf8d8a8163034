#include "shell/styles/StyleBook.h"

#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleStreaming.h"

const TMetaClass& TStyleBook::StaticClass() {
  return ClassRecord<TStyleBook>("TStyleBook", &TComponent::StaticClass(), [](auto& B) { B.Creatable(); });
}

TStyleBook::TStyleBook(TComponent* AOwner) : TComponent(AOwner) {}

TStyleBook::~TStyleBook() {
  // A book that was not freed through Free still lets go of its style.
  if (FStyle) FStyle->Free();
}

void TStyleBook::BeforeDestruction() {
  SetStyle(nullptr);
  TComponent::BeforeDestruction();
}

void TStyleBook::SetStyle(TStyleContainer* Value) {
  if (Value == FStyle) return;
  TStyleContainer* Old = FStyle;
  FStyle = Value;
  if (Old) Old->Free();
}

void TStyleBook::LoadFromStream(TStream& Stream) { SetStyle(TStyleStreaming::LoadFromStream(Stream)); }
