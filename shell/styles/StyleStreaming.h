#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/Exceptions.h"

class TMetaClass;
class TStream;
class TStyleContainer;
class TStyleDescription;

/// Raised for a style file that cannot be read, or one made for another platform.
class KELVANE_API EStyleException : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EStyleException"; }
};

/// One item of an indexed style file.
struct KELVANE_API TStyleItem {
  std::string Name;
  std::vector<uint8_t> Data;
};

/// TStyleStreaming: reading style files. The indexed format "KLV_STYLE 2.5" (signature, an index
/// of item names and sizes, the items as object streams: the description, the images, the style
/// objects), the older "KLV_STYLE 2.0" (one object stream with the whole style), and plain object
/// streams in binary or text form. A style for another platform is refused.
class KELVANE_API TStyleStreaming {
 public:
  static constexpr const char* IndexedSignature = "KLV_STYLE 2.5";
  static constexpr const char* BinarySignature = "KLV_STYLE 2.0";
  static constexpr size_t SignatureSize = 13;

  /// Whether the stream (from its position) holds a style for this platform: false when empty;
  /// otherwise true unless it has a description whose PlatformTarget is neither empty nor
  /// contains "[MSWINDOWS]". The position is restored.
  static bool CanLoadFromStream(TStream& Stream);
  /// A new container (of the default container class, owned by nobody) with the style's items.
  /// Raises EStyleException "Cannot load style from stream" when CanLoadFromStream says no, and
  /// the reader's errors for a broken style.
  static TStyleContainer* LoadFromStream(TStream& Stream);
  /// The same from the raw-data resource ResourceName ("Cannot load style from resource").
  /// Instance names the module; there is only the program.
  static TStyleContainer* LoadFromResource(uintptr_t Instance, const std::string& ResourceName,
                                           const std::string& ResourceType);
  /// The same from a file ("Cannot load style from file %s").
  static TStyleContainer* LoadFromFile(const std::string& FileName);
  /// The style's description, if it has one; the position is restored.
  static bool TryLoadStyleDescription(TStream& Stream, std::unique_ptr<TStyleDescription>& Description);
  /// Empty, or naming "[MSWINDOWS]" (compared in upper case).
  static bool IsSupportedPlatformTarget(const std::string& PlatformTarget);
  /// The class of the containers that loading makes (a TStyleContainer class).
  static void SetDefaultContainerClass(const TMetaClass& Class);

  /// The index of an indexed file, read from just after the signature: names and sizes.
  static std::vector<std::pair<std::string, int64_t>> ReadIndex(TStream& Stream);
  /// Writes an indexed style file: signature, index, items.
  static void WriteIndexed(TStream& Stream, const std::vector<TStyleItem>& Items);
  /// Whether an item's name ends in an image file extension (such items are read first).
  static bool IsImageItemName(const std::string& Name);

 private:
  static TStyleContainer* Load(TStream& Stream);
  static TStyleContainer* CreateContainer();
};
