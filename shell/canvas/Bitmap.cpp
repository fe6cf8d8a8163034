#include "shell/canvas/Bitmap.h"

#include <cairo.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>
#include <string>

#include "shell/canvas/CanvasManager.h"
#include "shell/canvas/PixelBudget.h"
#include "shell/core/FileOutput.h"

namespace {
uint64_t NextBitmapId() {
  static std::atomic<uint64_t> Counter{0};
  return ++Counter;
}

// The pixels of each surface a bitmap makes are taken from the process's pixel budget while the
// surface lives, and given back when Cairo frees it (whoever holds the last reference).
const cairo_user_data_key_t BudgetKey{};

void GiveBack(void* Bytes) { TPixelBudget::Give(static_cast<int64_t>(reinterpret_cast<intptr_t>(Bytes))); }

// Raises EPixelBudget when Width × Height pixels do not fit in what is left of the budget once
// Held bytes (the surface they replace) are given back.
void CheckBudget(int Width, int Height, int64_t Held) {
  const int64_t Bytes = static_cast<int64_t>(Width) * Height * 4;
  if (Bytes > TPixelBudget::Available() + Held) throw EPixelBudget(TPixelBudget::ExceededMessage(Width, Height, Bytes));
}

// A new surface of Width × Height, its pixels taken from the budget; none when Cairo cannot
// make it. Raises EPixelBudget when the budget cannot give them.
cairo_surface_t* NewSurface(int Width, int Height) {
  const int64_t Bytes = static_cast<int64_t>(Width) * Height * 4;
  if (!TPixelBudget::TryTake(Bytes)) throw EPixelBudget(TPixelBudget::ExceededMessage(Width, Height, Bytes));
  cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, Width, Height);
  if (cairo_surface_status(S) != CAIRO_STATUS_SUCCESS ||
      cairo_surface_set_user_data(S, &BudgetKey, reinterpret_cast<void*>(static_cast<intptr_t>(Bytes)), GiveBack) !=
          CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(S);
    TPixelBudget::Give(Bytes);
    return nullptr;
  }
  return S;
}

// A large new surface is backed by 2 MB pages where the system allows it, asked for before its
// first pixel is written: each 4 KB page of fresh memory costs a fault, and the game's sea alone
// (25 MB) took some 6000 of them, about 0.1 s, when first painted. Its resident size is the same.
void AdviseLargePages(cairo_surface_t* Surface) {
#ifdef MADV_HUGEPAGE
  constexpr uintptr_t Large = uintptr_t(2) << 20;
  const auto Begin = reinterpret_cast<uintptr_t>(cairo_image_surface_get_data(Surface));
  const uintptr_t End = Begin + static_cast<uintptr_t>(cairo_image_surface_get_stride(Surface)) *
                                    static_cast<uintptr_t>(cairo_image_surface_get_height(Surface));
  // Only whole large pages inside the pixels; a failure leaves ordinary pages, which work too.
  const uintptr_t First = (Begin + Large - 1) & ~(Large - 1), Last = End & ~(Large - 1);
  if (Begin && Last > First) madvise(reinterpret_cast<void*>(First), Last - First, MADV_HUGEPAGE);
#else
  (void)Surface;
#endif
}

uint32_t Premultiply(TAlphaColor C) {
  const uint32_t A = C >> 24;
  if (A == 255) return C;
  if (A == 0) return 0;
  auto Channel = [A](uint32_t V) { return (V * A + 127) / 255; };
  return (A << 24) | (Channel((C >> 16) & 0xFF) << 16) | (Channel((C >> 8) & 0xFF) << 8) | Channel(C & 0xFF);
}

TAlphaColor Unpremultiply(uint32_t P) {
  const uint32_t A = P >> 24;
  if (A == 255) return P;
  if (A == 0) return 0;
  auto Channel = [A](uint32_t V) { return std::min<uint32_t>(255, (V * 255 + A / 2) / A); };
  return (A << 24) | (Channel((P >> 16) & 0xFF) << 16) | (Channel((P >> 8) & 0xFF) << 8) | Channel(P & 0xFF);
}

std::string Reason(cairo_status_t Status) { return cairo_status_to_string(Status); }

// Cairo's PNG reader and writer work through callbacks; these bridge to memory.
struct TReadCursor {
  const uint8_t* Data;
  size_t Size;
  size_t Pos = 0;
};
cairo_status_t ReadBytes(void* Closure, unsigned char* Out, unsigned int Length) {
  auto* C = static_cast<TReadCursor*>(Closure);
  if (C->Size - C->Pos < Length) return CAIRO_STATUS_READ_ERROR;
  std::memcpy(Out, C->Data + C->Pos, Length);
  C->Pos += Length;
  return CAIRO_STATUS_SUCCESS;
}
cairo_status_t WriteBytes(void* Closure, const unsigned char* In, unsigned int Length) {
  static_cast<std::vector<uint8_t>*>(Closure)->insert(static_cast<std::vector<uint8_t>*>(Closure)->end(), In, In + Length);
  return CAIRO_STATUS_SUCCESS;
}
}  // namespace

TAlphaColor TBitmapData::GetPixel(int X, int Y) const { return Unpremultiply(Scanline(Y)[X]); }

void TBitmapData::SetPixel(int X, int Y, TAlphaColor Color) const { Scanline(Y)[X] = Premultiply(Color); }

const TMetaClass& TBitmap::StaticClass() {
  return ClassRecord<TBitmap>("TBitmap", &TPersistent::StaticClass(), [](auto&) {});
}

TBitmap::TBitmap() : FId(NextBitmapId()) {}

TBitmap::TBitmap(int AWidth, int AHeight) : TBitmap() { SetSize(AWidth, AHeight); }

TBitmap::~TBitmap() {
  // The canvas refers to the bitmap; it goes first.
  FCanvas.reset();
  FreeSurface();
}

void TBitmap::FreeSurface() {
  if (FSurface) cairo_surface_destroy(FSurface);
  FSurface = nullptr;
  FKnownOpaque = false;
}

void TBitmap::AdoptSurface(cairo_surface_t* Surface) {
  FreeSurface();
  FSurface = Surface;
  FWidth = cairo_image_surface_get_width(Surface);
  FHeight = cairo_image_surface_get_height(Surface);
}

void TBitmap::SetBitmapScale(float Value) { FBitmapScale = Value; }

bool TBitmap::SizeFits(int64_t AWidth, int64_t AHeight) {
  if (AWidth <= 0 || AHeight <= 0) return true;
  return AWidth <= MaxSide && AHeight <= MaxSide && AWidth * AHeight <= MaxPixels;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  if (AWidth == FWidth && AHeight == FHeight) return;
  if (!SizeFits(AWidth, AHeight)) throw EBitmapSizeTooBig("Bitmap size too big");
  CheckBudget(AWidth, AHeight, static_cast<int64_t>(FWidth) * FHeight * 4);
  FreeSurface();
  FWidth = FHeight = 0;
  if (AWidth > 0 && AHeight > 0) {
    cairo_surface_t* S = NewSurface(AWidth, AHeight);
    if (!S) throw EBitmapSizeTooBig("Bitmap size too big");
    AdviseLargePages(S);
    AdoptSurface(S);
  }
  BitmapChanged();
}

void TBitmap::DiscardRows(int Top, int Bottom) {
  Top = std::max(Top, 0);
  Bottom = std::min(Bottom, FHeight);
  if (!FSurface || Bottom <= Top) return;
  cairo_surface_flush(FSurface);
  const long Page = sysconf(_SC_PAGESIZE);
  if (Page <= 0) return;
  const auto Stride = static_cast<uintptr_t>(cairo_image_surface_get_stride(FSurface));
  const auto Data = reinterpret_cast<uintptr_t>(cairo_image_surface_get_data(FSurface));
  const uintptr_t Begin = Data + Stride * static_cast<uintptr_t>(Top), End = Data + Stride * static_cast<uintptr_t>(Bottom);
  const uintptr_t First = (Begin + Page - 1) & ~(static_cast<uintptr_t>(Page) - 1), Last = End & ~(static_cast<uintptr_t>(Page) - 1);
  if (Data && Last > First) madvise(reinterpret_cast<void*>(First), Last - First, MADV_DONTNEED);
}

void TBitmap::BitmapChanged() {
  FKnownOpaque = false;
  ++FChangeStamp;
  OnChange(this);
}

void TBitmap::Clear(TAlphaColor Color) {
  TBitmapData D;
  if (!Map(TMapAccess::Write, D)) return;
  const uint32_t P = Premultiply(Color);
  for (int Y = 0; Y < D.Height; ++Y) std::fill_n(D.Scanline(Y), D.Width, P);
  Unmap(D);
}

void TBitmap::MarkKnownOpaque() {
  // A canvas with a scene open on the bitmap may still draw into it.
  FKnownOpaque = FSurface && !(FCanvas && FCanvas->BeginSceneCount() > 0);
}

bool TBitmap::Map(TMapAccess Access, TBitmapData& Data) {
  if (!FSurface) return false;
  if (Access != TMapAccess::Read) FKnownOpaque = false;
  cairo_surface_flush(FSurface);
  Data.Data = cairo_image_surface_get_data(FSurface);
  Data.Pitch = cairo_image_surface_get_stride(FSurface);
  Data.Width = FWidth;
  Data.Height = FHeight;
  Data.Access = Access;
  return true;
}

void TBitmap::Unmap(TBitmapData& Data) {
  if (!Data.Data) return;
  const bool Written = Data.Access != TMapAccess::Read;
  Data = TBitmapData{};
  if (Written && FSurface) {
    cairo_surface_mark_dirty(FSurface);
    BitmapChanged();
  }
}

TAlphaColor TBitmap::Pixel(int X, int Y) {
  TBitmapData D;
  if (X < 0 || Y < 0 || X >= FWidth || Y >= FHeight || !Map(TMapAccess::Read, D)) return 0;
  const TAlphaColor C = D.GetPixel(X, Y);
  Unmap(D);
  return C;
}

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) FCanvas = TCanvasManager::CreateFromBitmap(*this);
  return FCanvas.get();
}

bool TBitmap::EqualsBitmap(TBitmap& Other) {
  if (FWidth != Other.FWidth || FHeight != Other.FHeight) return false;
  TBitmapData A, B;
  if (!Map(TMapAccess::Read, A)) return true;  // both empty
  Other.Map(TMapAccess::Read, B);
  bool Same = true;
  for (int Y = 0; Y < FHeight && Same; ++Y)
    Same = std::memcmp(A.Scanline(Y), B.Scanline(Y), static_cast<size_t>(FWidth) * 4) == 0;
  Unmap(A);
  Other.Unmap(B);
  return Same;
}

void TBitmap::Assign(TPersistent* Source) {
  auto* Other = dynamic_cast<TBitmap*>(Source);
  if (!Other) {
    TPersistent::Assign(Source);
    return;
  }
  if (Other == this) return;
  FBitmapScale = Other->FBitmapScale;
  if (Other->IsEmpty()) {
    SetSize(0, 0);
    return;
  }
  if (FWidth == Other->FWidth && FHeight == Other->FHeight && EqualsBitmap(*Other)) return;
  // Resizing already reports a change; the copy below reports the new pixels.
  CheckBudget(Other->FWidth, Other->FHeight, static_cast<int64_t>(FWidth) * FHeight * 4);
  FreeSurface();
  FWidth = FHeight = 0;
  cairo_surface_t* S = NewSurface(Other->FWidth, Other->FHeight);
  if (!S) throw EBitmapSizeTooBig("Bitmap size too big");
  AdoptSurface(S);
  TBitmapData Src, Dst;
  Other->Map(TMapAccess::Read, Src);
  Map(TMapAccess::Write, Dst);
  for (int Y = 0; Y < FHeight; ++Y) std::memcpy(Dst.Scanline(Y), Src.Scanline(Y), static_cast<size_t>(FWidth) * 4);
  Other->Unmap(Src);
  Unmap(Dst);
}

void TBitmap::SaveToFile(const std::string& FileName) {
  if (!FSurface) throw EBitmapSavingFailed(Format("Saving bitmap failed (%s)", {FileName + ": empty bitmap"}));
  // Written here rather than by Cairo, which reports a failed write without the system's reason.
  const std::vector<uint8_t> Bytes = SaveToPNG();
  try {
    WriteFileBytes(FileName, Bytes.data(), Bytes.size());
  } catch (const Exception& E) {
    throw EBitmapSavingFailed(Format("Saving bitmap failed (%s)", {E.Message()}));
  }
}

std::vector<uint8_t> TBitmap::SaveToPNG() {
  if (!FSurface) throw EBitmapSavingFailed(Format("Saving bitmap failed (%s)", {"empty bitmap"}));
  cairo_surface_flush(FSurface);
  std::vector<uint8_t> Bytes;
  const cairo_status_t Status = cairo_surface_write_to_png_stream(FSurface, WriteBytes, &Bytes);
  if (Status != CAIRO_STATUS_SUCCESS) throw EBitmapSavingFailed(Format("Saving bitmap failed (%s)", {Reason(Status)}));
  return Bytes;
}

namespace {
// The size a PNG file's header gives, checked against the limits before the decoder allocates
// the image; empty when the image fits or the bytes are no PNG header (the decoder says why).
std::string PNGSizeRefusal(const uint8_t* Data, size_t Size) {
  static const uint8_t Signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (Size < 24 || std::memcmp(Data, Signature, 8) != 0 || std::memcmp(Data + 12, "IHDR", 4) != 0) return {};
  auto BigEndian = [Data](size_t At) {
    return static_cast<int64_t>((uint32_t(Data[At]) << 24) | (uint32_t(Data[At + 1]) << 16) |
                                (uint32_t(Data[At + 2]) << 8) | uint32_t(Data[At + 3]));
  };
  const int64_t W = BigEndian(16), H = BigEndian(20);
  if (TBitmap::SizeFits(W, H)) return {};
  return Format("image of %d x %d pixels is too big", {std::to_string(W), std::to_string(H)});
}

// PNG files without alpha load as 24-bit surfaces; drawing keeps one format, so convert.
cairo_surface_t* ToARGB32(cairo_surface_t* Loaded) {
  if (cairo_image_surface_get_format(Loaded) == CAIRO_FORMAT_ARGB32) return Loaded;
  cairo_surface_t* S = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, cairo_image_surface_get_width(Loaded),
                                                  cairo_image_surface_get_height(Loaded));
  cairo_t* Cr = cairo_create(S);
  cairo_set_operator(Cr, CAIRO_OPERATOR_SOURCE);
  cairo_set_source_surface(Cr, Loaded, 0, 0);
  cairo_paint(Cr);
  cairo_destroy(Cr);
  cairo_surface_destroy(Loaded);
  cairo_surface_flush(S);
  return S;
}
}  // namespace

void TBitmap::LoadFromFile(const std::string& FileName) {
  uint8_t Header[24];
  std::ifstream In(FileName, std::ios::binary);
  const size_t HeaderSize = In.read(reinterpret_cast<char*>(Header), sizeof Header) ? sizeof Header : 0;
  const std::string TooBig = PNGSizeRefusal(Header, HeaderSize);
  if (!TooBig.empty()) throw EBitmapLoadingFailed(Format("Loading bitmap failed (%s)", {FileName + ": " + TooBig}));
  cairo_surface_t* S = cairo_image_surface_create_from_png(FileName.c_str());
  if (cairo_surface_status(S) != CAIRO_STATUS_SUCCESS) {
    const std::string Why = Reason(cairo_surface_status(S));
    cairo_surface_destroy(S);
    throw EBitmapLoadingFailed(Format("Loading bitmap failed (%s)", {FileName + ": " + Why}));
  }
  AdoptSurface(ToARGB32(S));
  BitmapChanged();
}

void TBitmap::LoadFromPNG(const uint8_t* Data, size_t Size) {
  const std::string TooBig = PNGSizeRefusal(Data, Size);
  if (!TooBig.empty()) throw EBitmapLoadingFailed(Format("Loading bitmap failed (%s)", {TooBig}));
  TReadCursor Cursor{Data, Size};
  cairo_surface_t* S = cairo_image_surface_create_from_png_stream(ReadBytes, &Cursor);
  if (cairo_surface_status(S) != CAIRO_STATUS_SUCCESS) {
    const std::string Why = Reason(cairo_surface_status(S));
    cairo_surface_destroy(S);
    throw EBitmapLoadingFailed(Format("Loading bitmap failed (%s)", {Why}));
  }
  AdoptSurface(ToARGB32(S));
  BitmapChanged();
}
