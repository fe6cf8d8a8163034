#include "shell/stream/Writer.h"

#include <algorithm>

#include "shell/core/Collection.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/core/ScopeExit.h"
#include "shell/stream/detail/Encoding.h"

TWriter::TWriter(TStream& Stream, size_t BufSize) : FStream(Stream), FBuffer(BufSize ? BufSize : 1) {}

TWriter::~TWriter() {
  // A destructor must not throw; callers that need the error call FlushBuffer themselves.
  try {
    FlushBuffer();
  } catch (...) {
  }
}

void TWriter::FlushBuffer() {
  if (FBufPos == 0) return;
  size_t N = FBufPos;
  FBufPos = 0;
  FStream.WriteBuffer(FBuffer.data(), N);
}

void TWriter::Write(const void* Buffer, size_t Count) {
  auto* In = static_cast<const uint8_t*>(Buffer);
  while (Count > 0) {
    if (FBufPos == FBuffer.size()) FlushBuffer();
    size_t N = std::min(Count, FBuffer.size() - FBufPos);
    std::copy_n(In, N, FBuffer.data() + FBufPos);
    FBufPos += N;
    In += N;
    Count -= N;
  }
}

void TWriter::WriteLE(uint64_t Value, int Size) {
  uint8_t B[8];
  for (int I = 0; I < Size; ++I) B[I] = static_cast<uint8_t>(Value >> (8 * I));
  Write(B, static_cast<size_t>(Size));
}

void TWriter::WriteValue(TValueType Value) { Write(&Value, 1); }

void TWriter::WriteStr(const std::string& Value) {
  if (Value.size() > 255) throw EWriteError(Format("Name too long for a form stream: %s", {Value}));
  uint8_t Len = static_cast<uint8_t>(Value.size());
  Write(&Len, 1);
  Write(Value.data(), Value.size());
}

void TWriter::WriteSignature() { Write(FilerSignature, 4); }

void TWriter::WritePrefix(TFilerFlags Flags, int ChildPos) {
  if (Flags.Empty()) return;
  uint8_t Prefix = FilerPrefixByte(Flags);
  Write(&Prefix, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(ChildPos);
}

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    WriteLE(static_cast<uint64_t>(Value), 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    WriteLE(static_cast<uint64_t>(Value), 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    WriteLE(static_cast<uint64_t>(Value), 4);
  } else {
    WriteValue(vaInt64);
    WriteLE(static_cast<uint64_t>(Value), 8);
  }
}

void TWriter::WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }

void TWriter::WriteFloat(long double Value) {
  uint8_t B[10];
  ExtendedToBytes(Value, B);
  WriteValue(vaExtended);
  Write(B, 10);
}

void TWriter::WriteString(const std::string& Value) {
  // ASCII is the same in every code page; anything else goes as UTF-8 so that no text is lost.
  if (StreamEncoding::IsAscii(Value)) {
    if (Value.size() <= 255) {
      WriteValue(vaString);
      WriteStr(Value);
      return;
    }
    WriteValue(vaLString);
  } else {
    WriteValue(vaUTF8String);
  }
  if (Value.size() > UINT32_MAX) throw EWriteError("String too long for a form stream");
  WriteLE(Value.size(), 4);
  Write(Value.data(), Value.size());
}

void TWriter::WriteWideString(const std::u16string& Value) {
  if (Value.size() > UINT32_MAX) throw EWriteError("String too long for a form stream");
  WriteValue(vaWString);
  WriteLE(Value.size(), 4);
  for (char16_t C : Value) WriteLE(C, 2);
}

void TWriter::WriteIdent(const std::string& Value) {
  if (SameText(Value, "False")) WriteValue(vaFalse);
  else if (SameText(Value, "True")) WriteValue(vaTrue);
  else if (SameText(Value, "nil")) WriteValue(vaNil);
  else if (SameText(Value, "Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Value);
  }
}

void TWriter::WriteBinary(const std::vector<uint8_t>& Value) {
  if (Value.size() > UINT32_MAX) throw EWriteError("Binary value too long for a form stream");
  WriteValue(vaBinary);
  WriteLE(Value.size(), 4);
  Write(Value.data(), Value.size());
}

// --- Components ------------------------------------------------------------------------------

void TWriter::WriteRootComponent(TComponent* Root) {
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
  FlushBuffer();
}

void TWriter::WriteComponent(TComponent* Component) {
  if (++FNesting > MaxStreamNesting) {
    --FNesting;
    throw EWriteError("Component tree too deep for a form stream");
  }
  Component->IncludeState(csWriting);
  TScopeExit EndWriting([this, Component] {
    Component->ExcludeState(csWriting);
    --FNesting;
  });
  // The reader takes a first byte of $F0 or more for a prefix, not a class name's length.
  if (Component->ClassName().size() >= FilerPrefixMask)
    throw EWriteError(Format("Class name too long for a form stream: %s", {Component->ClassName()}));
  WriteStr(Component->ClassName());
  WriteStr(Component->Name());
  FPropPath.clear();
  WriteProperties(Component);
  WriteListEnd();
  Component->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, FRoot);
  WriteListEnd();
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* P : Instance->ClassType().AllProperties()) WriteProperty(Instance, *P);
  Instance->DefineProperties(*this);
}

void TWriter::WritePropName(const std::string& Name) { WriteStr(FPropPath + Name); }

std::string TWriter::ComponentReference(TComponent* C) const {
  if (C->Owner() == FLookupRoot) return C->Name();
  if (C == FLookupRoot) return "Owner";
  if (C->Owner() && !C->Owner()->Name().empty() && !C->Name().empty()) return C->Owner()->Name() + "." + C->Name();
  if (!C->Name().empty()) return C->Name() + ".Owner";
  return "";
}

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Prop) {
  const TTypeInfo& Type = *Prop.Type;
  if (Type.Kind == TTypeKind::Class) {
    if (!Prop.GetObj || (Prop.IsStored && !Prop.IsStored(Instance))) return;
    TObject* Value = Prop.GetObj(Instance);
    if (!Value) return;
    if (auto* C = dynamic_cast<TComponent*>(Value)) {
      if (C->ComponentStyle().Contains(csSubComponent) && (C->Owner() == Instance || !C->Owner())) {
        std::string Saved = FPropPath;
        FPropPath += Prop.Name + ".";
        WriteProperties(C);
        FPropPath = Saved;
        return;
      }
      if (!Prop.Writable()) return;
      std::string Ref = ComponentReference(C);
      if (Ref.empty()) return;
      WritePropName(Prop.Name);
      WriteValue(vaIdent);
      WriteStr(Ref);
      return;
    }
    if (auto* Collection = dynamic_cast<TCollection*>(Value)) {
      // An empty stored collection would change nothing on reading, so none is written.
      if (!Prop.Writable() || Collection->Count() == 0) return;
      WritePropName(Prop.Name);
      WriteValue(vaCollection);
      std::string Saved = FPropPath;
      for (int I = 0; I < Collection->Count(); ++I) {
        WriteListBegin();
        FPropPath.clear();
        WriteProperties(Collection->Items(I));
        WriteListEnd();
      }
      FPropPath = Saved;
      WriteListEnd();
      return;
    }
    if (auto* Sub = dynamic_cast<TPersistent*>(Value)) {
      if (++FNesting > MaxStreamNesting) {
        --FNesting;
        throw EWriteError("Property path too deep for a form stream");
      }
      std::string Saved = FPropPath;
      FPropPath += Prop.Name + ".";
      WriteProperties(Sub);
      FPropPath = Saved;
      --FNesting;
    }
    return;
  }
  // Only what the reader can assign again is stored.
  if (!Prop.Writable() || !Prop.ShouldStore(Instance)) return;
  switch (Type.Kind) {
    case TTypeKind::Integer: {
      int64_t Value = Prop.GetOrd(Instance);
      std::string Ident;
      WritePropName(Prop.Name);
      if (Type.IntToIdent && Type.IntToIdent(Value, Ident)) WriteIdent(Ident);
      else WriteInteger(static_cast<int32_t>(static_cast<uint32_t>(Value)));
      return;
    }
    case TTypeKind::Char:
    case TTypeKind::WChar: {
      auto Code = static_cast<char16_t>(Prop.GetOrd(Instance));
      WritePropName(Prop.Name);
      if (Code < 0x80) WriteString(std::string(1, static_cast<char>(Code)));
      else WriteWideString(std::u16string(1, Code));
      return;
    }
    case TTypeKind::Enumeration: {
      int64_t Value = Prop.GetOrd(Instance);
      if (Value < 0 || static_cast<size_t>(Value) >= Type.Names.size()) return;
      WritePropName(Prop.Name);
      if (&Type == &TypeInfos::Boolean()) WriteBoolean(Value != 0);
      else WriteIdent(Type.Names[static_cast<size_t>(Value)]);
      return;
    }
    case TTypeKind::Float:
      WritePropName(Prop.Name);
      WriteFloat(Prop.GetFloat(Instance));
      return;
    case TTypeKind::String:
      WritePropName(Prop.Name);
      WriteString(Prop.GetStr(Instance));
      return;
    case TTypeKind::Set: {
      auto Bits = static_cast<uint32_t>(Prop.GetOrd(Instance));
      WritePropName(Prop.Name);
      WriteValue(vaSet);
      for (size_t I = 0; I < Type.Names.size() && I < 32; ++I)
        if (Bits & (1u << I)) WriteStr(Type.Names[I]);
      WriteStr("");
      return;
    }
    case TTypeKind::Int64:
      WritePropName(Prop.Name);
      WriteInteger(Prop.GetOrd(Instance));
      return;
    case TTypeKind::Method: {
      TMethod M = Prop.GetMethod(Instance);
      // Only a published method of the root can be named; any other handler is code's business.
      const TMethodInfo* Info = M.Data == FLookupRoot && FLookupRoot ? FLookupRoot->ClassType().FindMethodByCode(M.Code) : nullptr;
      if (!Info) return;
      WritePropName(Prop.Name);
      WriteIdent(Info->Name);
      return;
    }
    case TTypeKind::Class:
      return;
  }
}

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(*this);
}
