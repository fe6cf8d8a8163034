#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Component.h"
#include "shell/core/Filer.h"
#include "shell/stream/Stream.h"
#include "shell/stream/StreamFormat.h"

struct TPropInfo;

/// TWriter: stores a component tree as a binary form stream: for each component its class,
/// name, the published properties that differ from their defaults (sub-objects as dotted
/// paths, collections, references by name, events by method name), its defined properties and
/// its children, the reverse of what TReader reads.
class KELVANE_API TWriter : public TFiler, public IValueWriter {
 public:
  explicit TWriter(TStream& Stream, size_t BufSize = 4096);
  /// Writes out what is still buffered.
  ~TWriter() override;
  TWriter(const TWriter&) = delete;
  TWriter& operator=(const TWriter&) = delete;

  /// Signature, root object and all the components that the root's GetChildren lists.
  void WriteRootComponent(TComponent* Root);
  void WriteComponent(TComponent* Component);
  /// The stored published and defined properties of Instance, names prefixed with the path.
  void WriteProperties(TPersistent* Instance);
  void FlushBuffer();

  /// TFiler: a defined property is written when it has data.
  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;

  /// IValueWriter and the other values, each with its tag. Integers take the smallest tag.
  void WriteInteger(int64_t Value) override;
  void WriteBoolean(bool Value) override;
  void WriteFloat(long double Value) override;  // vaExtended
  void WriteString(const std::string& Value) override;
  /// "False", "True", "nil" and "Null" are written as their own tags.
  void WriteIdent(const std::string& Value) override;
  void WriteBinary(const std::vector<uint8_t>& Value) override;
  void WriteWideString(const std::u16string& Value);

  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, int ChildPos);
  void WriteStr(const std::string& Value);  // a short string
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void Write(const void* Buffer, size_t Count);

  TComponent* Root() const { return FRoot; }
  TComponent* LookupRoot() const { return FLookupRoot; }

 private:
  void WriteProperty(TPersistent* Instance, const TPropInfo& Prop);
  void WritePropName(const std::string& Name);
  void WriteLE(uint64_t Value, int Size);
  std::string ComponentReference(TComponent* Component) const;

  TStream& FStream;
  std::vector<uint8_t> FBuffer;
  size_t FBufPos = 0;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  std::string FPropPath;
  int FNesting = 0;
};
