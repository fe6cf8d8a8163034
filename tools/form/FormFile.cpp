#include "tools/form/FormFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

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

namespace {
std::string LowerCase(std::string S) {
  for (char& C : S) C = static_cast<char>(std::tolower(static_cast<unsigned char>(C)));
  return S;
}

// The line's words as the text form's lexer would begin them: a keyword or identifier (dots
// kept), or the single character that follows.
std::vector<std::string> LeadingWords(const std::string& Line) {
  std::vector<std::string> Words;
  size_t I = 0;
  while (I < Line.size() && Words.size() < 3) {
    const unsigned char C = static_cast<unsigned char>(Line[I]);
    if (std::isspace(C)) {
      ++I;
    } else if (std::isalnum(C) || C == '_') {
      size_t J = I;
      while (J < Line.size() && (std::isalnum(static_cast<unsigned char>(Line[J])) || Line[J] == '_' || Line[J] == '.')) ++J;
      Words.push_back(LowerCase(Line.substr(I, J - I)));
      I = J;
    } else {
      Words.emplace_back(1, Line[I]);
      ++I;
    }
  }
  return Words;
}

bool StartsObject(const std::vector<std::string>& W) {
  return !W.empty() && (W[0] == "object" || W[0] == "inherited" || W[0] == "inline");
}
}  // namespace

int FindPropertyLine(const std::string& Text, const std::string& Name, const std::string& Property) {
  std::istringstream In(Text);
  const std::string LowName = LowerCase(Name), LowProperty = LowerCase(Property);
  std::string Line;
  int Number = 0, ObjectLine = 0, Depth = 0;
  while (std::getline(In, Line)) {
    ++Number;
    const std::vector<std::string> W = LeadingWords(Line);
    if (!ObjectLine) {
      if (StartsObject(W) && W.size() >= 2 && W[1] == LowName) ObjectLine = Number;
      continue;
    }
    if (StartsObject(W)) {
      ++Depth;
    } else if (!W.empty() && W[0] == "end" && W.size() == 1) {
      if (Depth-- == 0) break;
    } else if (Depth == 0 && W.size() >= 2 && W[0] == LowProperty && W[1] == "=") {
      return Number;
    }
  }
  return ObjectLine;
}

std::string FileErrorMessage(const std::string& Path, const std::exception& E) {
  if (auto* P = dynamic_cast<const EParserError*>(&E); P && P->Line > 0)
    return Path + ":" + std::to_string(P->Line) + ": " + P->What;
  const std::string Message = dynamic_cast<const Exception*>(&E) ? static_cast<const Exception&>(E).Message() : E.what();
  // "Error reading NAME.PROPERTY: ...": in a text form, the line that holds it.
  const std::string Lead = "Error reading ";
  const size_t Colon = Message.find(": ");
  const size_t Dot = Message.find('.');
  if (Message.rfind(Lead, 0) == 0 && Colon != std::string::npos && Dot != std::string::npos && Dot < Colon) {
    try {
      const std::vector<uint8_t> Data = ReadFileBytes(Path);
      if (!IsBinaryFormStream(Data)) {
        const std::string Name = Message.substr(Lead.size(), Dot - Lead.size());
        const std::string Property = Message.substr(Dot + 1, Colon - Dot - 1);
        if (const int Line = FindPropertyLine(std::string(Data.begin(), Data.end()), Name, Property))
          return Path + ":" + std::to_string(Line) + ": " + Message;
      }
    } catch (const std::exception&) {
      // The file went meanwhile: the message without a line.
    }
  }
  return Path + ": " + Message;
}
