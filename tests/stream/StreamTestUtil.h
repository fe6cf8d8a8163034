#pragma once
// Loading helpers shared by the stream tests.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "shell/core/Exceptions.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "tests/stream/StreamBuilder.h"
#include "tests/stream/TestClasses.h"

template <typename T>
using TOwned = std::unique_ptr<T, TComponentDeleter>;

// Constructs a root of class T and loads Bytes onto it as its class's description, the way a
// form's constructor does.
template <typename T = TTestForm>
TOwned<T> LoadForm(const std::vector<uint8_t>& Bytes) {
  RegisterTestClasses();
  TOwned<T> Form(new T(nullptr));
  SetResource(T::StaticClass().Name(), RT_RCDATA, Bytes);
  try {
    InitInheritedComponent(Form.get(), TTreeObject::StaticClass());
  } catch (...) {
    RemoveResource(T::StaticClass().Name(), RT_RCDATA);
    throw;
  }
  RemoveResource(T::StaticClass().Name(), RT_RCDATA);
  return Form;
}

// The exception class and message of a failing load, or "no error".
inline std::string LoadError(const std::vector<uint8_t>& Bytes) {
  try {
    LoadForm(Bytes);
  } catch (const Exception& E) {
    return std::string(E.ClassName()) + ": " + E.Message();
  }
  return "no error";
}

// A form "Form1" holding one TTestObject "Object1" whose only record is Prop = Value.
inline std::vector<uint8_t> ObjectWith(const std::string& Prop, const std::function<void(TStreamBuilder&)>& Value) {
  TStreamBuilder B;
  B.Sig().Object("TTestForm", "Form1").End();
  B.Object("TTestObject", "Object1").Prop(Prop);
  Value(B);
  B.End().End();
  B.End();
  return B.Bytes;
}
