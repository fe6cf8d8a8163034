#include "shell/core/Object.h"

#include "shell/core/MetaClass.h"

const TMetaClass& TObject::StaticClass() {
  static TMetaClass Class("TObject", nullptr);
  return Class;
}

const TMetaClass& TObject::ClassType() const { return StaticClass(); }

std::string TObject::ClassName() const { return ClassType().Name(); }

bool TObject::InheritsFrom(const TMetaClass& Class) const { return ClassType().InheritsFrom(Class); }
