#pragma once
// Packing a style source into the indexed style format, and checking a packed style.
//
// A style source is one object in the text notation of form streams whose children are the
// style's items: the description, the images, the style objects. Inside it, {@FILE} stands for
// the bytes of FILE (in the image folder) as a binary value. Every item is read through the
// class table and written again, so an unknown class or property fails the packing.
#include <cstdint>
#include <string>
#include <vector>

// The source with every {@FILE} outside strings and comments replaced by the file's bytes.
// Raises Exception naming a file that cannot be read.
std::string ExpandFileReferences(const std::string& Source, const std::string& ImageDir);

// The indexed style file: "Description" first, then the images, then the style objects, each
// named by its StyleName. Raises Exception for a source that does not compile, an item without
// a StyleName, or a name used twice.
std::vector<uint8_t> PackStyle(const std::string& Source, const std::string& ImageDir);

// What is wrong with a packed style: it loads; it has a description with a title; every image
// has its variants for 1.0, 1.5 and 2.0; every link of every style image object names an
// existing image and lies inside the variant of its scale. Empty when all is well.
std::vector<std::string> CheckStyle(const std::vector<uint8_t>& Packed);
