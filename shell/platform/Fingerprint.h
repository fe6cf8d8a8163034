#pragma once
// The fingerprint of a window's picture: SHA-256 of its pixels at physical size, rows top
// first, three bytes R, G, B a pixel (a screen shows no alpha), in lower-case hex. The same
// picture in a real window and headless gives the same text.
#include <cstddef>
#include <cstdint>
#include <string>

// Pixels are 32-bit words A, R, G, B from the high byte down, Stride words a row.
std::string FrameFingerprint(const uint32_t* Pixels, int Width, int Height, size_t Stride);
