#pragma once
// A stored form kept in a file, in the binary form stream or the text form, as the form tools
// read it: the binary stream and the form class its root names.
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

class TMetaClass;

struct TFormFile {
  std::vector<uint8_t> Bytes;  // the binary form stream
  const TMetaClass* Class = nullptr;
};

// The bytes of Path; raises Exception "Cannot read %s" when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::string& Path);
// Whether Bytes are a binary form stream rather than a text form: they start with the first
// letters of the signature "TPF0", or hold bytes that no text form holds (control characters
// other than tabs and line ends). A damaged stream so gets the stream's errors, not the text's.
bool IsBinaryFormStream(const std::vector<uint8_t>& Bytes);

// Reads a stored form from Path. A text form is compiled (its errors name the line); the
// root's class must be a registered, creatable form class (else EClassNotFound "Class %s not
// found"); the stream's own faults raise the reader's errors.
TFormFile ReadFormFile(const std::string& Path);

// The error E of the form file Path as the tools print it: "PATH: MESSAGE", or
// "PATH:LINE: MESSAGE" where the line is known: the line a text form does not compile at, or,
// for a text form that does not load, the line of the property the loader names ("Error
// reading NAME.PROPERTY: ..."), else of the object NAME.
std::string FileErrorMessage(const std::string& Path, const std::exception& E);
// The line of Text (a text form) that holds the property Property of the object named Name, or
// the object's own line when the property is not written there; 0 when there is no such object.
int FindPropertyLine(const std::string& Text, const std::string& Name, const std::string& Property);

// Makes the file the stored description of its class, which the class's next construction
// reads, as start-up reads a description built into the program.
void StoreFormDescription(const TFormFile& Form);
