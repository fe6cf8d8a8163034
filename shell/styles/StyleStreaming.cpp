#include "shell/styles/StyleStreaming.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

#include "shell/core/MetaClass.h"
#include "shell/core/ScopeExit.h"
#include "shell/stream/GlobalComponents.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"
#include "shell/stream/Writer.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleDescription.h"

namespace {
const TMetaClass* GContainerClass = nullptr;

std::string Lower(std::string S) {
  std::transform(S.begin(), S.end(), S.begin(), [](unsigned char C) { return static_cast<char>(std::tolower(C)); });
  return S;
}

enum class TFormat { Indexed, Binary, ObjectStream, ObjectText };

// What the bytes from the position on are; the position is left where it was.
TFormat DetectFormat(TStream& Stream) {
  const int64_t Start = Stream.Position();
  char Head[TStyleStreaming::SignatureSize] = {};
  const size_t N = Stream.Read(Head, sizeof Head);
  Stream.SetPosition(Start);
  if (N == sizeof Head && std::memcmp(Head, TStyleStreaming::IndexedSignature, sizeof Head) == 0)
    return TFormat::Indexed;
  if (N == sizeof Head && std::memcmp(Head, TStyleStreaming::BinarySignature, sizeof Head) == 0)
    return TFormat::Binary;
  if (N >= 4 && std::memcmp(Head, "TPF0", 4) == 0) return TFormat::ObjectStream;
  return TFormat::ObjectText;
}

std::vector<uint8_t> ReadRest(TStream& Stream) {
  const int64_t Left = Stream.Size() - Stream.Position();
  std::vector<uint8_t> Bytes(static_cast<size_t>(std::max<int64_t>(Left, 0)));
  if (!Bytes.empty()) Stream.ReadBuffer(Bytes.data(), Bytes.size());
  return Bytes;
}

// The one object of an object stream or its text form (from the position on).
TComponent* ReadOneObject(TStream& Stream, TFormat Kind) {
  std::vector<uint8_t> Bytes = ReadRest(Stream);
  if (Kind == TFormat::ObjectText) Bytes = ObjectTextToBinary(std::string(Bytes.begin(), Bytes.end()));
  return ReadStyleObject(Bytes);
}

// The items of an indexed file, read whole (the position is after the signature).
std::vector<TStyleItem> ReadItems(TStream& Stream) {
  std::vector<TStyleItem> Items;
  for (auto& [Name, Size] : TStyleStreaming::ReadIndex(Stream)) {
    if (Size < 0) throw EReadError("Invalid stream format");
    // A size beyond the data is a broken file, found before anything is allocated for it.
    if (Size > Stream.Size() - Stream.Position()) throw EReadError("Stream read error");
    TStyleItem Item{Name, std::vector<uint8_t>(static_cast<size_t>(Size))};
    if (Size > 0) Stream.ReadBuffer(Item.Data.data(), Item.Data.size());
    Items.push_back(std::move(Item));
  }
  return Items;
}

TStyleDescription* FindDescription(TTreeObject* Tree) {
  if (!Tree) return nullptr;
  if (auto* D = dynamic_cast<TStyleDescription*>(Tree)) return D;
  for (TTreeObject* Child : Tree->ChildList())
    if (TStyleDescription* D = FindDescription(Child)) return D;
  return nullptr;
}
}  // namespace

void TStyleStreaming::SetDefaultContainerClass(const TMetaClass& Class) { GContainerClass = &Class; }

TStyleContainer* TStyleStreaming::CreateContainer() {
  const TMetaClass& Class = GContainerClass ? *GContainerClass : TStyleContainer::StaticClass();
  TComponent* C = Class.Create(nullptr);
  auto* Container = dynamic_cast<TStyleContainer*>(C);
  if (!Container) {
    C->Free();
    throw EStyleException(Format("%s is not a style container class", {Class.Name()}));
  }
  return Container;
}

bool TStyleStreaming::IsSupportedPlatformTarget(const std::string& PlatformTarget) {
  return PlatformTarget.empty() || UpperCase(PlatformTarget).find("[MSWINDOWS]") != std::string::npos;
}

bool TStyleStreaming::IsImageItemName(const std::string& Name) {
  static const char* const Extensions[] = {".png", ".jpg", ".jpeg", ".jpe", ".bmp", ".gif",
                                           ".tif", ".tiff", ".ico", ".wdp", ".hdp"};
  const std::string L = Lower(Name);
  for (const char* E : Extensions) {
    const size_t N = std::strlen(E);
    if (L.size() > N && L.compare(L.size() - N, N, E) == 0) return true;
  }
  return false;
}

std::vector<std::pair<std::string, int64_t>> TStyleStreaming::ReadIndex(TStream& Stream) {
  std::vector<std::pair<std::string, int64_t>> Index;
  // The reader hands back what it read ahead when it goes, so the stream ends up just after
  // the index.
  TReader Reader(Stream);
  Reader.ReadListBegin();
  while (!Reader.EndOfList()) {
    std::string Name = Reader.ReadString();
    int64_t Size = Reader.ReadInt64();
    Index.emplace_back(std::move(Name), Size);
  }
  Reader.ReadListEnd();
  return Index;
}

void TStyleStreaming::WriteIndexed(TStream& Stream, const std::vector<TStyleItem>& Items) {
  {
    TWriter Writer(Stream);
    Writer.Write(IndexedSignature, SignatureSize);
    Writer.WriteListBegin();
    for (const TStyleItem& Item : Items) {
      Writer.WriteString(Item.Name);
      Writer.WriteInteger(static_cast<int64_t>(Item.Data.size()));
    }
    Writer.WriteListEnd();
    Writer.FlushBuffer();
  }
  for (const TStyleItem& Item : Items)
    if (!Item.Data.empty()) Stream.WriteBuffer(Item.Data.data(), Item.Data.size());
}

bool TStyleStreaming::TryLoadStyleDescription(TStream& Stream, std::unique_ptr<TStyleDescription>& Description) {
  Description.reset();
  TScopeExit KeepPosition([&Stream, Start = Stream.Position()] { Stream.SetPosition(Start); });
  RegisterStyleClasses();
  try {
    const TFormat Kind = DetectFormat(Stream);
    if (Kind == TFormat::Indexed) {
      Stream.Seek(static_cast<int64_t>(SignatureSize), TStream::soCurrent);
      for (auto& [Name, Size] : ReadIndex(Stream)) {
        if (Size < 0 || Size > Stream.Size() - Stream.Position()) return false;
        if (Lower(Name).find("description") == std::string::npos) {
          Stream.Seek(Size, TStream::soCurrent);
          continue;
        }
        std::vector<uint8_t> Data(static_cast<size_t>(Size));
        if (Size > 0) Stream.ReadBuffer(Data.data(), Data.size());
        TComponent* Object = ReadStyleObject(Data);
        if (auto* D = dynamic_cast<TStyleDescription*>(Object)) {
          Description.reset(D);
          return true;
        }
        Object->Free();
        return false;
      }
      return false;
    }
    if (Kind == TFormat::Binary) Stream.Seek(static_cast<int64_t>(SignatureSize), TStream::soCurrent);
    TComponent* Root = ReadOneObject(Stream, Kind == TFormat::Binary ? TFormat::ObjectStream : Kind);
    std::unique_ptr<TComponent, TComponentDeleter> Owned(Root);
    if (TStyleDescription* Found = FindDescription(dynamic_cast<TTreeObject*>(Root))) {
      Description.reset(new TStyleDescription(nullptr));
      Description->Assign(Found);
      return true;
    }
  } catch (const Exception&) {
    // What cannot be read has no description; loading it reports why.
  }
  return false;
}

bool TStyleStreaming::CanLoadFromStream(TStream& Stream) {
  if (Stream.Size() - Stream.Position() <= 0) return false;
  std::unique_ptr<TStyleDescription> Description;
  if (!TryLoadStyleDescription(Stream, Description)) return true;
  return IsSupportedPlatformTarget(Description->PlatformTarget());
}

TStyleContainer* TStyleStreaming::LoadFromStream(TStream& Stream) {
  if (!CanLoadFromStream(Stream)) throw EStyleException("Cannot load style from stream");
  return Load(Stream);
}

TStyleContainer* TStyleStreaming::LoadFromResource(uintptr_t, const std::string& ResourceName,
                                                   const std::string& ResourceType) {
  auto Data = FindResource(ResourceName, ResourceType);
  if (!Data) throw EResNotFound(Format("Resource %s not found", {ResourceName}));
  TBufferStream Stream(Data->data(), Data->size());
  if (!CanLoadFromStream(Stream)) throw EStyleException("Cannot load style from resource");
  return Load(Stream);
}

TStyleContainer* TStyleStreaming::LoadFromFile(const std::string& FileName) {
  std::ifstream In(FileName, std::ios::binary);
  std::vector<uint8_t> Bytes;
  if (In) Bytes.assign(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
  TBytesStream Stream(std::move(Bytes));
  if (!In || !CanLoadFromStream(Stream)) throw EStyleException(Format("Cannot load style from file %s", {FileName}));
  return Load(Stream);
}

TStyleContainer* TStyleStreaming::Load(TStream& Stream) {
  RegisterStyleClasses();
  TGlobalNameSpaceLock Lock;
  const TFormat Kind = DetectFormat(Stream);
  std::unique_ptr<TStyleContainer, TComponentDeleter> Container(CreateContainer());
  if (Kind == TFormat::Indexed) {
    Stream.Seek(static_cast<int64_t>(SignatureSize), TStream::soCurrent);
    std::vector<TStyleItem> Items = ReadItems(Stream);
    // Images first, so that they are there before any style object that names them.
    for (bool Images : {true, false})
      for (TStyleItem& Item : Items) {
        if (IsImageItemName(Item.Name) != Images) continue;
        TComponent* Object = ReadStyleObject(Item.Data);
        auto* Tree = dynamic_cast<TTreeObject*>(Object);
        if (!Tree) {
          Object->Free();
          throw EReadError(Format("Invalid style item %s", {Item.Name}));
        }
        Container->AddItem(Tree, std::move(Item.Data));
      }
    return Container.release();
  }
  if (Kind == TFormat::Binary) Stream.Seek(static_cast<int64_t>(SignatureSize), TStream::soCurrent);
  TComponent* Root = ReadOneObject(Stream, Kind == TFormat::Binary ? TFormat::ObjectStream : Kind);
  if (auto* Loaded = dynamic_cast<TStyleContainer*>(Root)) return Loaded;
  auto* Tree = dynamic_cast<TTreeObject*>(Root);
  if (!Tree) {
    Root->Free();
    throw EReadError("Invalid stream format");
  }
  Container->AddItem(Tree);
  return Container.release();
}
