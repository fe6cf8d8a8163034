#include "shell/platform/Fingerprint.h"

#include <openssl/evp.h>

#include <memory>
#include <vector>

std::string FrameFingerprint(const uint32_t* Pixels, int Width, int Height, size_t Stride) {
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> Context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_DigestInit_ex(Context.get(), EVP_sha256(), nullptr);
  std::vector<unsigned char> Row(static_cast<size_t>(Width > 0 ? Width : 0) * 3);
  for (int Y = 0; Y < Height && Width > 0; ++Y) {
    const uint32_t* Line = Pixels + static_cast<size_t>(Y) * Stride;
    for (int X = 0; X < Width; ++X) {
      const uint32_t P = Line[X];
      Row[static_cast<size_t>(X) * 3] = static_cast<unsigned char>(P >> 16);
      Row[static_cast<size_t>(X) * 3 + 1] = static_cast<unsigned char>(P >> 8);
      Row[static_cast<size_t>(X) * 3 + 2] = static_cast<unsigned char>(P);
    }
    EVP_DigestUpdate(Context.get(), Row.data(), Row.size());
  }
  unsigned char Digest[EVP_MAX_MD_SIZE];
  unsigned int Length = 0;
  EVP_DigestFinal_ex(Context.get(), Digest, &Length);
  static const char Hex[] = "0123456789abcdef";
  std::string Text;
  for (unsigned int I = 0; I < Length; ++I) {
    Text += Hex[Digest[I] >> 4];
    Text += Hex[Digest[I] & 15];
  }
  return Text;
}
