#pragma once
// Looking into a style: from a file or a built-in style resource, its description and items
// (list) and one item in the text form (show).
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

// The bytes of a style: the file named Source if there is one, else the raw-data resource of
// that name ("WIN10STYLE", found without regard to case). Raises Exception "No style file or
// resource %s" when neither exists, and Exception "%s is a style's source, ..." for a style's
// source that names its artwork files (a packed style holds their bytes).
std::vector<uint8_t> ReadStyleSource(const std::string& Source);

// One item of a style: its name, its size in bytes, its object stream.
struct TStyleListItem {
  std::string Name;
  int64_t Size = 0;
  std::vector<uint8_t> Data;
};

// The items of a style, in stored order. Of an indexed style ("KLV_STYLE 2.5") the index and the
// items as stored; of any other loadable style, the loaded root's children, each written as an
// object stream (the description named "Description", the others by their StyleName). The style
// must load (raises the loader's errors otherwise).
std::vector<TStyleListItem> StyleItems(const std::vector<uint8_t>& Style);

// Prints the description, "Title: ", "PlatformTarget: " and "Version: " lines (empty values
// when the style has none), then one line per item: name, size in bytes and the class of its
// root object, separated by tabs.
void ListStyle(const std::vector<uint8_t>& Style, std::ostream& Out);
// Prints the item named Name (without regard to case) in the text form. Raises Exception
// "No item %s in the style" when there is none.
void ShowStyleItem(const std::vector<uint8_t>& Style, const std::string& Name, std::ostream& Out);
