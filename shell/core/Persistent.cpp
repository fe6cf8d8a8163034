#include "shell/core/Persistent.h"

#include "shell/core/Exceptions.h"

const TMetaClass& TPersistent::StaticClass() {
  return ClassRecord<TPersistent>("TPersistent", &TObject::StaticClass(), [](auto&) {});
}

void TPersistent::Assign(TPersistent* Source) {
  if (Source) {
    Source->AssignTo(this);
    return;
  }
  throw EConvertError(Format("Cannot assign a %s to a %s", {"nil", ClassName()}));
}

void TPersistent::AssignTo(TPersistent* Dest) {
  throw EConvertError(Format("Cannot assign a %s to a %s", {ClassName(), Dest->ClassName()}));
}

void TPersistent::DefineProperties(TFiler&) {}
