#include "shell/canvas/PixelBudget.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>

namespace {
std::atomic<int64_t> GInUse{0};
std::atomic<int64_t> GTotal{0};

int64_t MachineTotal() {
  const long Pages = sysconf(_SC_PHYS_PAGES), Page = sysconf(_SC_PAGESIZE);
  const int64_t Physical = Pages > 0 && Page > 0 ? static_cast<int64_t>(Pages) * Page : 0;
  return std::max(Physical / 4, TPixelBudget::Floor);
}

std::string Megabytes(int64_t Bytes) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%.1f", static_cast<double>(Bytes) / (1 << 20));
  return Text;
}
}  // namespace

int64_t TPixelBudget::Total() {
  int64_t T = GTotal.load(std::memory_order_relaxed);
  if (T == 0) {
    static const int64_t Machine = MachineTotal();
    T = Machine;
  }
  return T;
}

void TPixelBudget::SetTotal(int64_t Bytes) { GTotal.store(std::max<int64_t>(Bytes, 0), std::memory_order_relaxed); }

int64_t TPixelBudget::InUse() { return GInUse.load(std::memory_order_relaxed); }

int64_t TPixelBudget::Available() { return std::max<int64_t>(Total() - InUse(), 0); }

std::string TPixelBudget::ExceededMessage(int64_t Width, int64_t Height, int64_t Bytes) {
  return "Out of pixel memory: " + std::to_string(Width) + " x " + std::to_string(Height) + " pixels need " +
         Megabytes(Bytes) + " MB, " + Megabytes(Available()) + " MB of the process's " + Megabytes(Total()) +
         " MB are left";
}

bool TPixelBudget::TryTake(int64_t Bytes) {
  if (Bytes <= 0) {
    GInUse.fetch_add(Bytes, std::memory_order_relaxed);
    return true;
  }
  const int64_t Limit = Total();
  int64_t Now = GInUse.load(std::memory_order_relaxed);
  do {
    if (Bytes > Limit - Now) return false;
  } while (!GInUse.compare_exchange_weak(Now, Now + Bytes, std::memory_order_relaxed));
  return true;
}

void TPixelBudget::Give(int64_t Bytes) { GInUse.fetch_sub(Bytes, std::memory_order_relaxed); }

void TPixelCharge::Set(int64_t Width, int64_t Height, int BytesPerPixel) {
  const int64_t Bytes = Width > 0 && Height > 0 ? Width * Height * BytesPerPixel : 0;
  if (!TPixelBudget::TryTake(Bytes - FBytes))
    throw EPixelBudget(TPixelBudget::ExceededMessage(Width, Height, Bytes));
  FBytes = Bytes;
}

void TPixelCharge::Clear() {
  TPixelBudget::Give(FBytes);
  FBytes = 0;
}
