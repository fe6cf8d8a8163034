// kelvane-form: checks and converts form streams.
//   kelvane-form check FILE        constructs the form class that the stream's root names,
//                                  with FILE as that class's stored description, as start-up
//                                  does; prints "ok", or the error and exits 1
//   kelvane-form text FILE         prints a binary stream as text
//   kelvane-form binary FILE OUT   compiles a text form to a binary stream
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "game/Register.h"
#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/forms/Form.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"

namespace {
int Usage() {
  std::cerr << "usage: kelvane-form check FILE\n"
               "       kelvane-form text FILE\n"
               "       kelvane-form binary FILE OUT\n";
  return 2;
}

bool ReadFile(const std::string& Path, std::vector<uint8_t>& Data) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) return false;
  Data.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  return !In.bad();
}

std::string MessageOf(const std::exception& E) {
  if (auto* Ex = dynamic_cast<const Exception*>(&E)) return Ex->Message();
  return E.what();
}

std::string RootClassName(const std::vector<uint8_t>& Bytes) {
  TBufferStream Stream(Bytes.data(), Bytes.size());
  TReader Reader(Stream);
  Reader.ReadSignature();
  TFilerFlags Flags;
  int ChildPos;
  Reader.ReadPrefix(Flags, ChildPos);
  return Reader.ReadStr();
}

int Check(const std::vector<uint8_t>& Bytes) {
  THeadlessBackend& Backend = InstallHeadlessPlatform();
  RegisterGameClasses();
  try {
    std::string ClassName = RootClassName(Bytes);
    const TMetaClass* Class = GetClass(ClassName);
    if (!Class) throw EClassNotFound(Format("Class %s not found", {ClassName}));
    if (!Class->InheritsFrom(TCommonCustomForm::StaticClass()) || !Class->CanCreate())
      throw EClassNotFound(Format("Class %s not found", {ClassName}));
    // The file stands in for the class's own description, found by the class's name.
    SetResource(Class->Name(), RT_RCDATA, Bytes);
    Backend.SetDriver([] { Application->Terminate(); });
    Application->Initialize();
    Application->CreateForm(*Class, [](TComponent*) {});
    Application->Run();
  } catch (const std::exception& E) {
    std::cout << MessageOf(E) << "\n";
    return 1;
  }
  std::cout << "ok\n";
  return 0;
}
}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> Args(argv + 1, argv + argc);
  if (Args.size() < 2) return Usage();
  std::vector<uint8_t> Input;
  if (!ReadFile(Args[1], Input)) {
    std::cerr << "kelvane-form: cannot read " << Args[1] << "\n";
    return 2;
  }
  if (Args[0] == "check" && Args.size() == 2) return Check(Input);
  if (Args[0] == "text" && Args.size() == 2) {
    try {
      std::cout << ObjectBinaryToText(Input);
    } catch (const std::exception& E) {
      std::cerr << Args[1] << ": " << MessageOf(E) << "\n";
      return 1;
    }
    return 0;
  }
  if (Args[0] == "binary" && Args.size() == 3) {
    try {
      std::vector<uint8_t> Bytes = ObjectTextToBinary(std::string(Input.begin(), Input.end()));
      std::ofstream Out(Args[2], std::ios::binary | std::ios::trunc);
      Out.write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
      if (!Out) {
        std::cerr << "kelvane-form: cannot write " << Args[2] << "\n";
        return 1;
      }
    } catch (const std::exception& E) {
      std::cerr << Args[1] << ": " << MessageOf(E) << "\n";
      return 1;
    }
    return 0;
  }
  return Usage();
}
