#include "tools/form/FormFile.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/forms/Form.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"
#include "shell/stream/StreamFormat.h"

std::vector<uint8_t> ReadFileBytes(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In) throw Exception(Format("Cannot read %s", {Path}));
  std::vector<uint8_t> Data(std::istreambuf_iterator<char>(In), {});
  if (In.bad()) throw Exception(Format("Cannot read %s", {Path}));
  return Data;
}

bool IsBinaryFormStream(const std::vector<uint8_t>& Bytes) {
  // A text form begins with a keyword, never with the signature's letters, so a stream whose
  // signature is damaged in its last byte is still a stream.
  if (Bytes.size() >= 3 && std::memcmp(Bytes.data(), FilerSignature, 3) == 0) return true;
  // A text form is lines of text: the only control characters it holds are tabs and line
  // ends. A stream's length bytes and value tags are control characters from its first object.
  return std::any_of(Bytes.begin(), Bytes.end(),
                     [](uint8_t B) { return (B < 0x20 && B != '\t' && B != '\n' && B != '\r') || B == 0x7F; });
}

TFormFile ReadFormFile(const std::string& Path) {
  TFormFile Form;
  std::vector<uint8_t> Data = ReadFileBytes(Path);
  Form.Bytes = IsBinaryFormStream(Data) ? std::move(Data) : ObjectTextToBinary(std::string(Data.begin(), Data.end()));

  TBufferStream Stream(Form.Bytes.data(), Form.Bytes.size());
  TReader Reader(Stream);
  Reader.ReadSignature();
  TFilerFlags Flags;
  int ChildPos = 0;
  Reader.ReadPrefix(Flags, ChildPos);
  const std::string ClassName = Reader.ReadStr();
  Form.Class = GetClass(ClassName);
  if (!Form.Class || !Form.Class->InheritsFrom(TCommonCustomForm::StaticClass()) || !Form.Class->CanCreate())
    throw EClassNotFound(Format("Class %s not found", {ClassName}));
  return Form;
}

void StoreFormDescription(const TFormFile& Form) { SetResource(Form.Class->Name(), RT_RCDATA, Form.Bytes); }
