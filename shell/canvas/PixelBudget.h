#pragma once
#include <cstdint>
#include <string>

#include "shell/core/Export.h"
#include "shell/core/Exceptions.h"

/// A new share of pixels that would pass the total.
class KELVANE_API EPixelBudget : public Exception {
 public:
  using Exception::Exception;
  const char* ClassName() const noexcept override { return "EPixelBudget"; }
};

/// TPixelBudget: one total over the whole process for what forms and sizes turn into pixels
/// (bitmaps, layer surfaces, view surfaces and their device copies), beside the limits of each
/// object; TPixelCharge: one object's share of it.
class KELVANE_API TPixelBudget {
 public:
  /// The total in bytes: a quarter of the machine's physical memory, and never less than Floor
  /// (the game at four times the scale holds about 300 MB of pixels).
  static int64_t Total();
  static constexpr int64_t Floor = int64_t(1) << 30;
  /// Another total (tests, tools); 0 goes back to the machine's.
  static void SetTotal(int64_t Bytes);
  static int64_t InUse();
  /// What may still be taken.
  static int64_t Available();
  /// The message of a share of Width × Height pixels (Bytes in all) that does not fit.
  static std::string ExceededMessage(int64_t Width, int64_t Height, int64_t Bytes);
  /// Takes Bytes if they fit; false (and nothing taken) if not.
  static bool TryTake(int64_t Bytes);
  static void Give(int64_t Bytes);
};

/// An object's share of the budget, given back when it changes or the object goes.
class KELVANE_API TPixelCharge {
 public:
  TPixelCharge() = default;
  ~TPixelCharge() { Clear(); }
  TPixelCharge(const TPixelCharge&) = delete;
  TPixelCharge& operator=(const TPixelCharge&) = delete;

  int64_t Bytes() const { return FBytes; }
  /// The share becomes Width × Height pixels of BytesPerPixel. Raises EPixelBudget (keeping the
  /// old share) when the difference does not fit.
  void Set(int64_t Width, int64_t Height, int BytesPerPixel = 4);
  void Clear();

 private:
  int64_t FBytes = 0;
};
