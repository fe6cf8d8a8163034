#include "shell/stream/Reader.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <mutex>

#include "shell/core/Collection.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/core/ScopeExit.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/Resources.h"
#include "shell/stream/detail/Encoding.h"

struct TReferenceFixup {
  TPersistent* Instance = nullptr;
  TComponent* Holder = nullptr;  // the component whose record it was; it owns Instance
  const TPropInfo* Prop = nullptr;
  std::string Name;
  std::string RootName;  // global references: the global component the name starts from
  TComponent* Root = nullptr;  // the root being read
  std::string InstanceLabel;  // for error messages: "Error reading <label>.<path>: ..."
  std::string PropPath;
};

namespace {
[[noreturn]] void InvalidPropertyValue() { throw EReadError("Invalid property value"); }

std::string LabelOf(TPersistent* Instance) {
  auto* C = dynamic_cast<TComponent*>(Instance);
  return C && !C->Name().empty() ? C->Name() : Instance->ClassName();
}

std::string MessageOf(const std::exception& E) {
  if (auto* Ex = dynamic_cast<const Exception*>(&E)) return Ex->Message();
  return E.what();
}

// The loaded list of the global loading context open on this thread, if any.
thread_local std::vector<TComponent*>* GlobalLoaded = nullptr;

// Finds a component by a path of names: parts separated by "." or "-" (a ">" right after "-"
// is skipped, so "A->B" is "A.B"); "Owner", when no component has that name, is the current one.
TComponent* FindNestedComponent(TComponent* Root, const std::string& Path) {
  TComponent* Current = Root;
  size_t Start = 0;
  for (;;) {
    size_t End = Start;
    while (End < Path.size() && Path[End] != '.' && Path[End] != '-') ++End;
    std::string Part = Path.substr(Start, End - Start);
    TComponent* Next = Current->FindComponent(Part);
    if (!Next && SameText(Part, "Owner")) Next = Current;
    if (!Next) return nullptr;
    Current = Next;
    if (End >= Path.size()) return Current;
    if (Path[End] == '-' && End + 1 < Path.size() && Path[End + 1] == '>') ++End;
    Start = End + 1;
  }
}

void SetFixedUpReference(const TReferenceFixup& Fixup, TComponent* Value) {
  if (!Fixup.Prop->SetObj) return;
  try {
    Fixup.Prop->SetObj(Fixup.Instance, Value);
  } catch (const std::exception& E) {
    throw PropertyReadError(Fixup.InstanceLabel, Fixup.PropPath, MessageOf(E));
  }
}

// References into other roots wait here until a global component of their root name exists
// and has been read. A watcher component hears when the component holding one is freed.
using TGlobalFixup = TReferenceFixup;

std::recursive_mutex& GlobalFixupLock() {
  static std::recursive_mutex Lock;
  return Lock;
}

std::vector<TGlobalFixup>& GlobalFixups() {
  static std::vector<TGlobalFixup> List;
  return List;
}

void ForgetHolder(TComponent* Holder);

class TFixupWatcher : public TComponent {
 public:
  TFixupWatcher() : TComponent(nullptr) {}
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove) ForgetHolder(AComponent);
  }
};

// Lives for the whole process, like the global fixup list it guards.
TFixupWatcher& Watcher() {
  static TFixupWatcher* W = new TFixupWatcher();
  return *W;
}

void ForgetHolder(TComponent* Holder) {
  std::lock_guard<std::recursive_mutex> Guard(GlobalFixupLock());
  auto& L = GlobalFixups();
  L.erase(std::remove_if(L.begin(), L.end(), [&](const TGlobalFixup& F) { return F.Holder == Holder; }), L.end());
}

// Stops watching Holder when no pending reference belongs to it any more.
void ReleaseHolderIfDone(TComponent* Holder) {
  auto& L = GlobalFixups();
  if (std::none_of(L.begin(), L.end(), [&](const TGlobalFixup& F) { return F.Holder == Holder; }))
    Holder->RemoveFreeNotification(&Watcher());
}
}  // namespace

// --- Low-level reading ----------------------------------------------------------------

TReader::TReader(TStream& Stream, size_t BufSize) : FStream(Stream), FBuffer(BufSize ? BufSize : 1) {}

TReader::~TReader() {
  if (FBufEnd > FBufPos) FStream.Seek(-static_cast<int64_t>(FBufEnd - FBufPos), TStream::soCurrent);
}

void TReader::FillBuffer() {
  size_t N = FStream.Read(FBuffer.data(), FBuffer.size());
  if (N == 0) throw EReadError("Stream read error");
  FBufPos = 0;
  FBufEnd = N;
}

void TReader::ReadBytes(void* Buffer, size_t Count) {
  auto* Out = static_cast<uint8_t*>(Buffer);
  while (Count > 0) {
    if (FBufPos == FBufEnd) FillBuffer();
    size_t N = std::min(Count, FBufEnd - FBufPos);
    std::copy_n(FBuffer.data() + FBufPos, N, Out);
    FBufPos += N;
    Out += N;
    Count -= N;
  }
}

void TReader::SkipBytes(uint64_t Count) {
  while (Count > 0) {
    if (FBufPos == FBufEnd) FillBuffer();
    size_t N = static_cast<size_t>(std::min<uint64_t>(Count, FBufEnd - FBufPos));
    FBufPos += N;
    Count -= N;
  }
}

namespace {
uint8_t ReadU8(TReader& R) {
  uint8_t B;
  R.ReadBytes(&B, 1);
  return B;
}

uint64_t ReadLE(TReader& R, int Size) {
  uint8_t B[8];
  R.ReadBytes(B, static_cast<size_t>(Size));
  return LittleEndianValue(B, Size);
}
}  // namespace

std::string TReader::ReadBytesAsString(uint64_t Count) {
  // Grows as the bytes arrive, so that a length field claiming gigabytes in a short stream
  // fails with a read error instead of allocating first.
  std::string S;
  while (Count > 0) {
    size_t N = static_cast<size_t>(std::min<uint64_t>(Count, 65536));
    size_t Old = S.size();
    S.resize(Old + N);
    ReadBytes(S.data() + Old, N);
    Count -= N;
  }
  return S;
}

TValueType TReader::ReadValue() { return static_cast<TValueType>(ReadU8(*this)); }

bool TReader::NextIsIdent() { return (NextValue() & 0x7F) == vaIdent; }

TValueType TReader::NextValue() {
  if (FBufPos == FBufEnd) FillBuffer();
  return static_cast<TValueType>(FBuffer[FBufPos]);
}

void TReader::CheckValue(TValueType Value) {
  if (NextValue() != Value) PropValueError();
  ReadValue();
}

void TReader::PropValueError() {
  SkipValue();
  InvalidPropertyValue();
}

void TReader::EnterNesting() {
  if (++FNesting > MaxStreamNesting) {
    --FNesting;
    throw EReadError("Invalid stream format");
  }
}

void TReader::SkipSetBody() {
  for (;;) {
    uint8_t Len = ReadU8(*this);
    if (Len == 0) return;
    SkipBytes(Len);
  }
}

void TReader::SkipValue() {
  uint8_t Tag = ReadU8(*this) & 0x7F;
  switch (Tag) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil:
      return;
    case vaList: {
      EnterNesting();
      TScopeExit Leave([this] { LeaveNesting(); });
      while (!EndOfList()) SkipValue();
      ReadValue();
      return;
    }
    case vaInt8: SkipBytes(1); return;
    case vaInt16: SkipBytes(2); return;
    case vaInt32:
    case vaSingle: SkipBytes(4); return;
    case vaExtended: SkipBytes(10); return;
    case vaCurrency:
    case vaDate:
    case vaInt64:
    case vaDouble: SkipBytes(8); return;
    case vaString:
    case vaIdent: SkipBytes(ReadU8(*this)); return;
    case vaBinary:
    case vaLString:
    case vaUTF8String: SkipBytes(ReadLE(*this, 4)); return;
    case vaWString: SkipBytes(2 * ReadLE(*this, 4)); return;
    case vaSet: SkipSetBody(); return;
    case vaCollection: {
      EnterNesting();
      TScopeExit Leave([this] { LeaveNesting(); });
      while (!EndOfList()) {
        TValueType V = NextValue();
        if (V == vaInt8 || V == vaInt16 || V == vaInt32) SkipValue();
        if (ReadValue() != vaList) InvalidPropertyValue();
        while (!EndOfList()) {
          SkipBytes(ReadU8(*this));
          SkipValue();
        }
        ReadValue();
      }
      ReadValue();
      return;
    }
    default:
      InvalidPropertyValue();
  }
}

std::string TReader::ReadStr() { return ReadBytesAsString(ReadU8(*this)); }

void TReader::ReadSignature() {
  uint8_t Sig[4];
  size_t Got = 0;
  try {
    ReadBytes(Sig, 4);
    Got = 4;
  } catch (const EReadError&) {
  }
  if (Got != 4 || !std::equal(Sig, Sig + 4, FilerSignature)) throw EReadError("Invalid stream format");
}

void TReader::ReadPrefix(TFilerFlags& Flags, int& ChildPos) {
  Flags = {};
  ChildPos = 0;
  if ((NextValue() & FilerPrefixMask) != FilerPrefixMask) return;
  Flags = FilerFlagsOf(ReadU8(*this));
  if (Flags.Contains(ffChildPos)) ChildPos = static_cast<int>(ReadInteger());
}

// --- Typed values -------------------------------------------------------------------------

int64_t TReader::ReadInteger() {
  switch (NextValue()) {
    case vaInt8: ReadValue(); return static_cast<int8_t>(ReadLE(*this, 1));
    case vaInt16: ReadValue(); return static_cast<int16_t>(ReadLE(*this, 2));
    case vaInt32: ReadValue(); return static_cast<int32_t>(ReadLE(*this, 4));
    default: PropValueError();
  }
}

int64_t TReader::ReadInt64() {
  if (NextValue() != vaInt64) return ReadInteger();
  ReadValue();
  return static_cast<int64_t>(ReadLE(*this, 8));
}

bool TReader::ReadBoolean() {
  switch (NextValue()) {
    case vaFalse: ReadValue(); return false;
    case vaTrue: ReadValue(); return true;
    default: PropValueError();
  }
}

long double TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      uint8_t B[10];
      ReadBytes(B, 10);
      return ExtendedFromBytes(B);
    }
    case vaDouble: {
      ReadValue();
      uint64_t Bits = ReadLE(*this, 8);
      double D;
      std::memcpy(&D, &Bits, 8);
      return D;
    }
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      return static_cast<long double>(ReadInt64());
    default: PropValueError();
  }
}

std::string TReader::ReadString() {
  switch (NextValue()) {
    case vaString: ReadValue(); return StreamEncoding::AnsiToUtf8(ReadStr());
    case vaLString: ReadValue(); return StreamEncoding::AnsiToUtf8(ReadBytesAsString(ReadLE(*this, 4)));
    case vaUTF8String: ReadValue(); return ReadBytesAsString(ReadLE(*this, 4));
    case vaWString: return StreamEncoding::Utf16ToUtf8(ReadWideString());
    default: PropValueError();
  }
}

std::u16string TReader::ReadWideString() {
  if (NextValue() != vaWString) return StreamEncoding::Utf8ToUtf16(ReadString());
  ReadValue();
  return StreamEncoding::Utf16FromLittleEndian(ReadBytesAsString(2 * ReadLE(*this, 4)));
}

std::string TReader::ReadIdent() {
  // Where an identifier is expected the tag's top bit does not count.
  switch (NextValue() & 0x7F) {
    case vaIdent: ReadValue(); return ReadStr();
    case vaFalse: ReadValue(); return "False";
    case vaTrue: ReadValue(); return "True";
    case vaNil: ReadValue(); return "nil";
    case vaNull: ReadValue(); return "Null";
    default: PropValueError();
  }
}

std::vector<uint8_t> TReader::ReadBinary() {
  if (NextValue() != vaBinary) PropValueError();
  ReadValue();
  std::string Bytes = ReadBytesAsString(ReadLE(*this, 4));
  return std::vector<uint8_t>(Bytes.begin(), Bytes.end());
}

// --- Components -----------------------------------------------------------------------------

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  ReadSignature();
  TFilerFlags Flags;
  int ChildPos;
  ReadPrefix(Flags, ChildPos);
  std::string ClassName = ReadStr();
  std::string Name = ReadStr();
  bool Created = false;
  if (!Root) {
    const TMetaClass* Class = GetClass(ClassName);
    if (!Class || !Class->CanCreate()) throw EClassNotFound(Format("Class %s not found", {ClassName}));
    Root = Class->Create(nullptr);
    Created = true;
  }
  try {
    Root->IncludeState(csLoading);
    Root->IncludeState(csReading);
    if (!Root->ComponentState().Contains(csDesigning)) Root->SetName(UniqueGlobalName(Name, Root));
    FRoot = Root;
    FLookupRoot = Root;
    FOwner = Root;
    FParent = nullptr;
    // Within another load's context the components join its list; otherwise this read is a
    // load of its own and ends with their Loaded.
    FOwnLoaded.clear();
    FLoaded = GlobalLoaded ? GlobalLoaded : &FOwnLoaded;
    if (std::find(FLoaded->begin(), FLoaded->end(), Root) == FLoaded->end()) FLoaded->push_back(Root);
    Root->ReadState(*this);
    Root->ExcludeState(csReading);
    if (FLoaded == &FOwnLoaded) {
      std::vector<TComponent*> Loaded = std::move(FOwnLoaded);
      FOwnLoaded.clear();
      FLoaded = nullptr;
      for (TComponent* C : Loaded) C->Loaded();
    }
    GlobalFixupReferences();
  } catch (...) {
    FOwnLoaded.clear();
    FLoaded = nullptr;
    RemoveFixupReferences(Root);
    Root->ExcludeState(csReading);
    if (Created) Root->Free();
    throw;
  }
  return Root;
}

void TReader::ReadData(TComponent* Instance) {
  const bool Outer = FDataDepth++ == 0;
  TScopeExit DropFixups([&] {
    if (--FDataDepth == 0) FFixups.clear();
  });
  TComponent* SavedInstance = FInstance;
  TScopeExit RestoreInstance([&] { FInstance = SavedInstance; });
  FInstance = Instance;

  while (!EndOfList()) ReadProperty(Instance);
  ReadValue();

  TComponent* SavedParent = FParent;
  TComponent* SavedOwner = FOwner;
  TScopeExit RestoreParent([&] {
    FParent = SavedParent;
    FOwner = SavedOwner;
  });
  FParent = Instance->GetChildParent();
  TComponent* ChildOwner = Instance->GetChildOwner();
  FOwner = ChildOwner ? ChildOwner : FRoot;
  while (!EndOfList()) ReadComponent();
  ReadValue();

  if (Outer) FixupReferences();
}

const TMetaClass* TReader::FindComponentClass(const std::string& ClassName) const {
  auto FromFields = [&](TComponent* R) -> const TMetaClass* {
    for (const TFieldInfo* F : R->ClassType().AllFields())
      if (SameText(F->Class->Name(), ClassName)) return F->Class;
    return nullptr;
  };
  const TMetaClass* Class = FromFields(FRoot);
  if (!Class) Class = GetClass(ClassName);
  if (!Class && FLookupRoot && FLookupRoot != FRoot) Class = FromFields(FLookupRoot);
  if (!Class || !Class->CanCreate()) throw EClassNotFound(Format("Class %s not found", {ClassName}));
  return Class;
}

TComponent* TReader::ReadComponent() {
  EnterNesting();
  TScopeExit Leave([this] { LeaveNesting(); });
  TFilerFlags Flags;
  int ChildPos;
  ReadPrefix(Flags, ChildPos);
  std::string ClassName = ReadStr();
  std::string Name = ReadStr();

  TComponent* SavedParent = FParent;
  TComponent* SavedLookupRoot = FLookupRoot;
  size_t LoadedMark = FLoaded->size();
  TComponent* C = nullptr;
  bool Created = false;
  try {
    if (Flags.Contains(ffInherited)) {
      C = FOwner ? FOwner->FindComponent(Name) : nullptr;
      if (!C) throw EReadError(Format("Ancestor for '%s' not found", {Name}));
    } else {
      C = FindComponentClass(ClassName)->Create(FOwner);
      Created = true;
      if (Flags.Contains(ffInline)) C->IncludeState(csInline);
    }
    std::vector<TComponent*> Subs;
    for (int I = 0; I < C->ComponentCount(); ++I)
      if (C->Components(I)->ComponentStyle().Contains(csSubComponent)) Subs.push_back(C->Components(I));
    C->IncludeState(csLoading);
    for (TComponent* S : Subs) S->IncludeState(csLoading);

    C->SetParentComponent(FParent);
    if (Created) C->SetName(Name);
    if (C->ComponentState().Contains(csInline)) FLookupRoot = C;

    C->IncludeState(csReading);
    for (TComponent* S : Subs) S->IncludeState(csReading);
    C->ReadState(*this);
    C->ExcludeState(csReading);
    for (TComponent* S : Subs) S->ExcludeState(csReading);

    if (Flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(C, ChildPos);

    // Only a component found rather than created can be listed already: the search is spared
    // for the created ones, which loading thousands of components would make quadratic.
    auto Listed = [&](TComponent* X) {
      return !Created && std::find(FLoaded->begin(), FLoaded->end(), X) != FLoaded->end();
    };
    for (TComponent* S : Subs)
      if (!Listed(S)) FLoaded->push_back(S);
    if (!Listed(C)) FLoaded->push_back(C);
  } catch (...) {
    FParent = SavedParent;
    FLookupRoot = SavedLookupRoot;
    // What was listed since belongs to the failed component's subtree, which may be freed now.
    if (FLoaded->size() > LoadedMark) FLoaded->resize(LoadedMark);
    if (Created) C->Free();
    throw;
  }
  FParent = SavedParent;
  FLookupRoot = SavedLookupRoot;
  return C;
}

// --- Properties ----------------------------------------------------------------------------

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (!FPropName.empty() && ReadData && SameText(Name, FPropName)) {
    FPropName.clear();
    ReadData(*this);
  }
}

void TReader::ReadDefinedProperty(TPersistent* Instance, const std::string& Name) {
  FPropName = Name;
  Instance->DefineProperties(*this);
  if (FPropName.empty()) return;
  FPropName.clear();
  SkipValue();
  throw EReadError(Format("Property %s does not exist", {Name}));
}

void TReader::ReadProperty(TPersistent* Instance) {
  std::string Path = ReadStr();
  std::string SavedPath = FPropPath;
  TScopeExit RestorePath([&] { FPropPath = SavedPath; });
  FPropPath = Path;
  try {
    TPersistent* Current = Instance;
    size_t Start = 0;
    for (size_t Dot; (Dot = Path.find('.', Start)) != std::string::npos; Start = Dot + 1) {
      const TPropInfo* P = Current->ClassType().FindProperty(Path.substr(Start, Dot - Start));
      if (!P) {
        // A defined property may carry a dotted name itself.
        ReadDefinedProperty(Current, Path);
        return;
      }
      TObject* Object = P->Kind() == TTypeKind::Class && P->GetObj ? P->GetObj(Current) : nullptr;
      auto* Sub = dynamic_cast<TPersistent*>(Object);
      if (!Sub) {
        SkipValue();
        throw EReadError("Invalid property path");
      }
      Current = Sub;
    }
    std::string Last = Path.substr(Start);
    if (const TPropInfo* P = Current->ClassType().FindProperty(Last)) {
      ReadPropValue(Current, *P);
    } else {
      ReadDefinedProperty(Current, Last);
    }
  } catch (const std::exception& E) {
    FPropName.clear();
    std::string Message = PropertyReadError(LabelOf(Instance), Path, MessageOf(E)).Message();
    bool Handled = false;
    if (OnError) OnError(*this, Message, Handled);
    if (!Handled) throw EReadError(Message);
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop) {
  if (!Prop.Writable()) {
    // A component that another owns as a fixed part of itself is read through its holder.
    TComponent* Sub = Prop.Kind() == TTypeKind::Class && Prop.GetObj ? dynamic_cast<TComponent*>(Prop.GetObj(Instance)) : nullptr;
    if (!Sub || !Sub->ComponentStyle().Contains(csSubComponent)) {
      SkipValue();
      throw EReadError("Property is read-only");
    }
  }
  const TTypeInfo& Type = *Prop.Type;
  switch (Type.Kind) {
    case TTypeKind::Integer: {
      if (NextIsIdent()) {
        std::string Ident = ReadIdent();
        int64_t Value;
        if (!Type.IdentToInt || !Type.IdentToInt(Ident, Value)) throw EReadError(InvalidValueMessage(Type, Ident));
        Prop.SetOrd(Instance, Value);
      } else {
        Prop.SetOrd(Instance, ReadInteger());
      }
      return;
    }
    case TTypeKind::Char:
    case TTypeKind::WChar: {
      std::u16string S = ReadWideString();
      if (S.size() != 1 || (Type.Kind == TTypeKind::Char && S[0] > 0xFF)) InvalidPropertyValue();
      Prop.SetOrd(Instance, S[0]);
      return;
    }
    case TTypeKind::Enumeration: {
      // A number or a string where a name belongs says what the names are too.
      const TValueType Next = static_cast<TValueType>(NextValue() & 0x7F);
      if (Next != vaIdent && Next != vaFalse && Next != vaTrue && Next != vaNil && Next != vaNull) {
        SkipValue();
        throw EReadError(InvalidValueMessage(Type, ""));
      }
      const std::string Ident = ReadIdent();
      int Index = Type.IndexOfName(Ident);
      if (Index < 0) throw EReadError(InvalidValueMessage(Type, Ident));
      Prop.SetOrd(Instance, Index);
      return;
    }
    case TTypeKind::Float: {
      const long double Value = ReadFloat();
      // Only a finite number that the property's type holds: a larger one would become an
      // infinity, and no float property here means anything by an infinity or a NaN (sizes
      // and places turn them into NaNs that no writing reproduces).
      const long double Max = Type.FloatType == TFloatType::Single   ? std::numeric_limits<float>::max()
                              : Type.FloatType == TFloatType::Double ? std::numeric_limits<double>::max()
                                                                     : std::numeric_limits<long double>::max();
      if (!(std::fabs(Value) <= Max)) InvalidPropertyValue();
      Prop.SetFloat(Instance, Value);
      return;
    }
    case TTypeKind::String:
      Prop.SetStr(Instance, ReadString());
      return;
    case TTypeKind::Set:
      ReadSetValue(Instance, Prop);
      return;
    case TTypeKind::Int64:
      Prop.SetOrd(Instance, ReadInt64());
      return;
    case TTypeKind::Class:
      if (NextIsIdent()) {
        ReadFixupValue(Instance, Prop);
        return;
      }
      switch (NextValue()) {
        case vaNil:
          ReadValue();
          if (!Prop.SetObj) throw EReadError("Property is read-only");
          Prop.SetObj(Instance, nullptr);
          return;
        case vaCollection: {
          auto* Collection = dynamic_cast<TCollection*>(Prop.GetObj ? Prop.GetObj(Instance) : nullptr);
          if (!Collection) PropValueError();
          ReadValue();
          ReadCollection(Collection);
          return;
        }
        default:
          PropValueError();
      }
    case TTypeKind::Method:
      ReadMethodValue(Instance, Prop);
      return;
  }
  PropValueError();
}

void TReader::ReadSetValue(TPersistent* Instance, const TPropInfo& Prop) {
  if (NextValue() != vaSet) PropValueError();
  ReadValue();
  uint32_t Bits = 0;
  for (;;) {
    std::string Element = ReadStr();
    if (Element.empty()) break;
    int Index = Prop.Type->IndexOfName(Element);
    if (Index < 0) {
      SkipSetBody();
      throw EReadError(InvalidValueMessage(*Prop.Type, Element));
    }
    if (Index <= 31) Bits |= 1u << Index;
  }
  Prop.SetOrd(Instance, Bits);
}

void TReader::ReadFixupValue(TPersistent* Instance, const TPropInfo& Prop) {
  TReferenceFixup F;
  F.Instance = Instance;
  F.Holder = FInstance;
  F.Prop = &Prop;
  F.Name = ReadIdent();
  F.Root = FRoot;
  F.InstanceLabel = LabelOf(FInstance ? static_cast<TPersistent*>(FInstance) : Instance);
  F.PropPath = FPropPath;
  FFixups.push_back(std::move(F));
}

void TReader::ReadMethodValue(TPersistent* Instance, const TPropInfo& Prop) {
  if (NextValue() == vaNil) {
    ReadValue();
    Prop.SetMethod(Instance, TMethod{});
    return;
  }
  std::string Name = ReadIdent();
  // A handler of another signature would be called with the wrong arguments: refuse it.
  auto Fits = [&](const TMethodInfo* M) {
    return M && (M->Signature == Prop.Type || (M->Signature && Prop.Type && M->Signature->Name == Prop.Type->Name));
  };
  const TMethodInfo* M = FRoot->ClassType().FindMethod(Name);
  if (!Fits(M)) {
    // The usual text first, then the handlers the root's class offers for this event, so that
    // a misspelt name shows beside the one it should have been.
    std::string Offered;
    for (const TMethodInfo* Candidate : FRoot->ClassType().AllMethods())
      if (Fits(Candidate)) Offered += (Offered.empty() ? "" : ", ") + Candidate->Name;
    throw EReadError("Invalid property value: " + Name + " (" + FRoot->ClassName() +
                     (Offered.empty() ? " publishes no handler for it)" : " publishes " + Offered + ")"));
  }
  Prop.SetMethod(Instance, TMethod{M->Code, FRoot});
}

void TReader::ReadCollection(TCollection* Collection) {
  EnterNesting();
  TScopeExit Leave([this] { LeaveNesting(); });
  Collection->BeginUpdate();
  TScopeExit EndUpdate([&] { Collection->EndUpdate(); });
  if (!EndOfList()) Collection->Clear();
  while (!EndOfList()) {
    TValueType V = NextValue();
    if (V == vaInt8 || V == vaInt16 || V == vaInt32) ReadInteger();  // the stored order index is not used
    CheckValue(vaList);
    TCollectionItem* Item = Collection->Add();
    while (!EndOfList()) ReadProperty(Item);
    ReadValue();
  }
  ReadValue();
}

// --- References ----------------------------------------------------------------------------

void TReader::FixupReferences() {
  std::vector<TReferenceFixup> Fixups = std::move(FFixups);
  FFixups.clear();
  for (TReferenceFixup& F : Fixups) {
    if (TComponent* Target = FindNestedComponent(F.Root, F.Name)) {
      SetFixedUpReference(F, Target);
      continue;
    }
    size_t Dot = F.Name.find('.');
    if (Dot == std::string::npos) {
      // A name that nothing carries leaves the property empty; it is not an error.
      SetFixedUpReference(F, nullptr);
      continue;
    }
    std::lock_guard<std::recursive_mutex> Guard(GlobalFixupLock());
    F.RootName = F.Name.substr(0, Dot);
    F.Name = F.Name.substr(Dot + 1);
    if (F.Holder) F.Holder->FreeNotification(&Watcher());
    GlobalFixups().push_back(std::move(F));
  }
}

void GlobalFixupReferences() {
  std::vector<TGlobalFixup> Ready;
  std::vector<TComponent*> Targets;
  {
    std::lock_guard<std::recursive_mutex> Guard(GlobalFixupLock());
    auto& L = GlobalFixups();
    for (auto It = L.begin(); It != L.end();) {
      TComponent* GlobalRoot = FindGlobalComponent(It->RootName);
      TComponent* Target = GlobalRoot && !GlobalRoot->ComponentState().Contains(csReading)
                               ? FindNestedComponent(GlobalRoot, It->Name)
                               : nullptr;
      if (!Target) {
        ++It;
        continue;
      }
      Ready.push_back(std::move(*It));
      Targets.push_back(Target);
      It = L.erase(It);
    }
    for (const TGlobalFixup& F : Ready)
      if (F.Holder) ReleaseHolderIfDone(F.Holder);
  }
  for (size_t I = 0; I < Ready.size(); ++I) SetFixedUpReference(Ready[I], Targets[I]);
}

void RemoveFixupReferences(TComponent* Root) {
  std::lock_guard<std::recursive_mutex> Guard(GlobalFixupLock());
  auto& L = GlobalFixups();
  std::vector<TComponent*> Holders;
  for (auto It = L.begin(); It != L.end();) {
    if (It->Root == Root) {
      Holders.push_back(It->Holder);
      It = L.erase(It);
    } else {
      ++It;
    }
  }
  for (TComponent* H : Holders)
    if (H) ReleaseHolderIfDone(H);
}

// --- Loading forms -------------------------------------------------------------------------

bool InternalReadComponentRes(const std::string& ResName, TComponent* Instance) {
  auto Data = FindResource(ResName, RT_RCDATA);
  if (!Data) return false;
  TBufferStream Stream(Data->data(), Data->size());
  TReader Reader(Stream);
  Reader.ReadRootComponent(Instance);
  return true;
}

TSeparateLoading::TSeparateLoading() : FPrevious(GlobalLoaded) { GlobalLoaded = nullptr; }

TSeparateLoading::~TSeparateLoading() { GlobalLoaded = FPrevious; }

bool InitInheritedComponent(TComponent* Instance, const TMetaClass& RootAncestor) {
  TGlobalNameSpaceLock Lock;
  TComponentState State = Instance->ComponentState();
  bool OpenContext = !State.Contains(csLoading) && !State.Contains(csInline);
  std::vector<TComponent*> Loaded;
  std::vector<TComponent*>* Previous = GlobalLoaded;
  if (OpenContext) GlobalLoaded = &Loaded;
  TScopeExit CloseContext([&] {
    if (OpenContext) GlobalLoaded = Previous;
  });

  // The most basic class's description first, down to the instance's own class.
  std::vector<const TMetaClass*> Chain;
  for (const TMetaClass* C = &Instance->ClassType(); C && C != &RootAncestor && C != &TComponent::StaticClass();
       C = C->Parent())
    Chain.push_back(C);
  bool Found = false;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It)
    if (InternalReadComponentRes((*It)->Name(), Instance)) Found = true;

  if (OpenContext) {
    // What a Loaded reads into the open context joins the list and is loaded in its turn.
    for (size_t I = 0; I < Loaded.size(); ++I) Loaded[I]->Loaded();
  }
  return Found;
}
