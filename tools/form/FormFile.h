#pragma once
// A stored form kept in a file, in the binary form stream or the text form, as the form tools
// read it: the binary stream and the form class its root names.
#include <cstdint>
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

// Makes the file the stored description of its class, which the class's next construction
// reads, as start-up reads a description built into the program.
void StoreFormDescription(const TFormFile& Form);
