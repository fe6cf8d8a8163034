#pragma once
// What a persistent object sees of a reader or writer when it declares the properties it
// stores itself (stored but not published): a filer to declare them on, and the value faces
// through which their read and write procedures work.
#include "shell/core/Export.h"
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

/// Reads one value of the stream in the notation the caller expects.
class KELVANE_API IValueReader {
 public:
  virtual ~IValueReader() = default;
  virtual int64_t ReadInteger() = 0;
  virtual bool ReadBoolean() = 0;
  virtual long double ReadFloat() = 0;
  virtual std::string ReadString() = 0;
  virtual std::string ReadIdent() = 0;
  /// Binary data (images, blobs) stored as one block.
  virtual std::vector<uint8_t> ReadBinary() = 0;
};

/// Writes one value of the stream.
class KELVANE_API IValueWriter {
 public:
  virtual ~IValueWriter() = default;
  virtual void WriteInteger(int64_t Value) = 0;
  virtual void WriteBoolean(bool Value) = 0;
  virtual void WriteFloat(long double Value) = 0;
  virtual void WriteString(const std::string& Value) = 0;
  virtual void WriteIdent(const std::string& Value) = 0;
  virtual void WriteBinary(const std::vector<uint8_t>& Value) = 0;
};

class TComponent;

/// What a component's ReadState hook sees of the reader: the reading of the component's own
/// data (its properties, then its children).
class KELVANE_API IComponentReader {
 public:
  virtual ~IComponentReader() = default;
  virtual void ReadData(TComponent* Instance) = 0;
};

/// The reader or writer as a persistent object sees it in DefineProperties: where it declares the
/// properties that it reads and writes itself.
class KELVANE_API TFiler {
 public:
  using TReaderProc = std::function<void(IValueReader&)>;
  using TWriterProc = std::function<void(IValueWriter&)>;

  virtual ~TFiler() = default;
  /// Declares a property Name: ReadData reads its value; WriteData writes it when HasData.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
};
