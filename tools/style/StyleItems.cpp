#include "tools/style/StyleItems.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>

#include "shell/core/Exceptions.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Reader.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleStreaming.h"

namespace {
using TContainerPtr = std::unique_ptr<TStyleContainer, TComponentDeleter>;

TContainerPtr Load(const std::vector<uint8_t>& Style) {
  TBufferStream Stream(Style.data(), Style.size());
  return TContainerPtr(TStyleStreaming::LoadFromStream(Stream));
}

bool IsIndexed(const std::vector<uint8_t>& Style) {
  return Style.size() >= TStyleStreaming::SignatureSize &&
         std::memcmp(Style.data(), TStyleStreaming::IndexedSignature, TStyleStreaming::SignatureSize) == 0;
}

// The class name of an object stream's root.
std::string RootClass(const std::vector<uint8_t>& Data) {
  TBufferStream Stream(Data.data(), Data.size());
  TReader Reader(Stream);
  Reader.ReadSignature();
  TFilerFlags Flags;
  int ChildPos = 0;
  Reader.ReadPrefix(Flags, ChildPos);
  return Reader.ReadStr();
}
}  // namespace

std::vector<uint8_t> ReadStyleSource(const std::string& Source) {
  std::ifstream In(Source, std::ios::binary);
  if (In) {
    std::vector<uint8_t> Bytes(std::istreambuf_iterator<char>(In), {});
    if (In.bad()) throw Exception(Format("Cannot read %s", {Source}));
    // A style's source names its artwork ({@FILE}) where a style holds the images' bytes: it
    // loads only once packed, and the loader's own complaint would be about the braces.
    const std::string Start(Bytes.begin(), Bytes.begin() + static_cast<ptrdiff_t>(std::min<size_t>(Bytes.size(), 9)));
    const std::string_view Text(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
    if (Start != "KLV_STYLE" && Text.find("{@") != std::string_view::npos)
      throw Exception(Format("%s is a style's source, with its artwork named ({@FILE}): this wants a packed style "
                             "(kelvane-style pack %s OUT.style IMAGEDIR makes one)",
                             {Source, Source}));
    return Bytes;
  }
  if (auto Data = FindResource(Source, RT_RCDATA)) return {Data->begin(), Data->end()};
  throw Exception(Format("No style file or resource %s", {Source}));
}

std::vector<TStyleListItem> StyleItems(const std::vector<uint8_t>& Style) {
  TContainerPtr Container = Load(Style);
  std::vector<TStyleListItem> Items;
  if (IsIndexed(Style)) {
    TBufferStream Stream(Style.data(), Style.size());
    Stream.SetPosition(static_cast<int64_t>(TStyleStreaming::SignatureSize));
    for (auto& [Name, Size] : TStyleStreaming::ReadIndex(Stream)) {
      TStyleListItem Item{Name, Size, std::vector<uint8_t>(static_cast<size_t>(Size))};
      if (Size > 0) Stream.ReadBuffer(Item.Data.data(), Item.Data.size());
      Items.push_back(std::move(Item));
    }
    return Items;
  }
  for (TTreeObject* Child : Container->ChildList()) {
    TStyleListItem Item;
    Item.Name = dynamic_cast<TStyleDescription*>(Child) ? "Description" : Child->StyleName();
    Item.Data = WriteStyleObject(*Child);
    Item.Size = static_cast<int64_t>(Item.Data.size());
    Items.push_back(std::move(Item));
  }
  return Items;
}

void ListStyle(const std::vector<uint8_t>& Style, std::ostream& Out) {
  const std::vector<TStyleListItem> Items = StyleItems(Style);
  TContainerPtr Container = Load(Style);
  const TStyleDescription* D = Container->Description();
  Out << "Title: " << (D ? D->Title() : "") << "\n";
  Out << "PlatformTarget: " << (D ? D->PlatformTarget() : "") << "\n";
  Out << "Version: " << (D ? D->Version() : "") << "\n";
  for (const TStyleListItem& Item : Items) Out << Item.Name << "\t" << Item.Size << "\t" << RootClass(Item.Data) << "\n";
}

void ShowStyleItem(const std::vector<uint8_t>& Style, const std::string& Name, std::ostream& Out) {
  for (const TStyleListItem& Item : StyleItems(Style))
    if (SameText(Item.Name, Name)) {
      Out << ObjectBinaryToText(Item.Data);
      return;
    }
  throw Exception(Format("No item %s in the style", {Name}));
}
