#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Component.h"
#include "shell/core/Filer.h"
#include "shell/stream/StreamFormat.h"
#include "shell/stream/Stream.h"

class TCollection;
struct TPropInfo;
/// A reference to a component by name, resolved once the whole root has been read.
struct TReferenceFixup;

/// TReader: reads a binary form stream onto components, through the class table, with the
/// loading rules of stored forms (creation, naming, parenting, dotted properties, defined
/// properties, collections, references resolved after the root, events bound to the root's
/// methods, the Loaded pass). InitInheritedComponent is how a form loads its description.
class KELVANE_API TReader : public TFiler, public IValueReader, public IComponentReader {
 public:
  /// Called with the message of a failed property record (already in the "Error reading"
  /// format); setting Handled goes on with the next record instead of raising.
  using TErrorHandler = std::function<void(TReader& Reader, const std::string& Message, bool& Handled)>;

  explicit TReader(TStream& Stream, size_t BufSize = 4096);
  /// Gives bytes read ahead into the buffer back to the stream.
  ~TReader() override;
  TReader(const TReader&) = delete;
  TReader& operator=(const TReader&) = delete;

  /// Reads one whole description onto Root (signature, root object, descendants). With Root
  /// none, the root is created from its registered class and freed again on failure.
  TComponent* ReadRootComponent(TComponent* Root);
  /// Reads one child object; created components are owned by Owner() and parented to Parent().
  TComponent* ReadComponent();
  /// Reads an instance's properties and children.
  void ReadData(TComponent* Instance) override;
  /// Reads one property record onto Instance.
  void ReadProperty(TPersistent* Instance);
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadCollection(TCollection* Collection);

  /// TFiler: a defined property whose name matches the record being read reads its value.
  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData, bool HasData) override;

  /// IValueReader and the other typed value reads. A value of the wrong kind is skipped and
  /// refused with EReadError "Invalid property value".
  int64_t ReadInteger() override;
  bool ReadBoolean() override;
  long double ReadFloat() override;
  std::string ReadString() override;
  std::string ReadIdent() override;
  std::vector<uint8_t> ReadBinary() override;
  int64_t ReadInt64();
  float ReadSingle();
  double ReadDouble();
  int64_t ReadCurrency();
  double ReadDate();
  /// A string value as UTF-16 code units (for character properties).
  std::u16string ReadWideString();

  /// The structure of the stream.
  void ReadSignature();
  void ReadPrefix(TFilerFlags& Flags, int& ChildPos);
  std::string ReadStr();  // a short string
  TValueType ReadValue();
  TValueType NextValue();
  /// Whether an identifier comes next, its tag's top bit set or not.
  bool NextIsIdent();
  bool EndOfList() { return NextValue() == vaNull; }
  void ReadListBegin() { CheckValue(vaList); }
  void ReadListEnd() { CheckValue(vaNull); }
  void CheckValue(TValueType Value);
  void SkipValue();
  void ReadBytes(void* Buffer, size_t Count);

  TComponent* Root() const { return FRoot; }
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  const std::string& PropName() const { return FPropName; }
  TErrorHandler OnError;

 private:
  void FillBuffer();
  void SkipBytes(uint64_t Count);
  [[noreturn]] void PropValueError();
  std::string ReadBytesAsString(uint64_t Count);
  void SkipSetBody();
  void ReadSetValue(TPersistent* Instance, const TPropInfo& Prop);
  void ReadFixupValue(TPersistent* Instance, const TPropInfo& Prop);
  /// Gives Name to Instance's defined properties; raises when none of them reads it.
  void ReadDefinedProperty(TPersistent* Instance, const std::string& Name);
  void ReadMethodValue(TPersistent* Instance, const TPropInfo& Prop);
  const TMetaClass* FindComponentClass(const std::string& ClassName) const;
  void FixupReferences();
  void EnterNesting();
  void LeaveNesting() { --FNesting; }

  TStream& FStream;
  std::vector<uint8_t> FBuffer;
  size_t FBufPos = 0;
  size_t FBufEnd = 0;
  int FNesting = 0;

  TComponent* FRoot = nullptr;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  TComponent* FLookupRoot = nullptr;
  /// The component whose data is being read, and the full name of the record being read.
  TComponent* FInstance = nullptr;
  std::string FPropPath;
  std::string FPropName;

  std::vector<TComponent*>* FLoaded = nullptr;
  std::vector<TComponent*> FOwnLoaded;
  /// The references met by the outermost ReadData and the ones it calls, resolved at its end.
  std::vector<TReferenceFixup> FFixups;
  int FDataDepth = 0;
};

/// Loads onto an already constructed Instance the description of each class from just below
/// RootAncestor down to the instance's class (resources named after the classes), then runs
/// the Loaded pass. Returns whether any description was found; raises nothing itself when none
/// was (a form then raises "Resource %s not found").
bool InitInheritedComponent(TComponent* Instance, const TMetaClass& RootAncestor);
/// Within its scope, a root that is read is a load of its own even while another load's context
/// is open: its components get their Loaded as soon as it has been read, rather than joining the
/// other load's list. Objects read while a form is being loaded (style copies for its controls)
/// are complete when they are handed over.
class KELVANE_API TSeparateLoading {
 public:
  TSeparateLoading();
  ~TSeparateLoading();
  TSeparateLoading(const TSeparateLoading&) = delete;
  TSeparateLoading& operator=(const TSeparateLoading&) = delete;

 private:
  std::vector<TComponent*>* FPrevious;
};

/// Reads the raw-data resource ResName onto Instance, if it exists.
bool InternalReadComponentRes(const std::string& ResName, TComponent* Instance);

/// Resolves the pending references to components of other roots (global components that have
/// been loaded since). Runs after each description; public for loaders outside the reader.
void GlobalFixupReferences();
/// Drops the pending global references recorded while Root was read.
void RemoveFixupReferences(TComponent* Root);
