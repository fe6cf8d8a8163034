#include "tools/style/Build.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

#include "shell/canvas/Bitmap.h"
#include "shell/core/Exceptions.h"
#include "shell/core/FileOutput.h"
#include "tools/style/Artwork.h"
#include "tools/style/Pack.h"

namespace {
std::string ScaleText(float S) {
  char Buf[16];
  std::snprintf(Buf, sizeof Buf, "%.1f", static_cast<double>(S));
  return Buf;
}

int Art(const std::string& Name, const std::string& OutDir) {
  const TStyleArt* A = FindStyleArt(Name);
  if (!A) {
    std::cerr << "kelvane-style: no style " << Name << "\n";
    return 1;
  }
  std::error_code Error;
  std::filesystem::create_directories(OutDir, Error);
  if (Error) {
    std::cerr << "kelvane-style: cannot create " << OutDir << ": " << Error.message() << "\n";
    return 1;
  }
  try {
    for (float S : ArtScales) {
      DrawStyleImage(*A, S)->SaveToFile(OutDir + "/" + Name + "-style-" + ScaleText(S) + ".png");
      if (!A->RingsName.empty()) DrawRingsImage(S)->SaveToFile(OutDir + "/" + Name + "-rings-" + ScaleText(S) + ".png");
    }
  } catch (const Exception& E) {
    std::cerr << "kelvane-style: " << E.Message() << "\n";
    return 1;
  }
  return 0;
}

int Pack(const std::string& Source, const std::string& Out, const std::string& ImageDir) {
  std::ifstream In(Source, std::ios::binary);
  if (!In) {
    std::cerr << Source << ": cannot read\n";
    return 1;
  }
  const std::string Text((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  std::vector<uint8_t> Packed;
  try {
    Packed = PackStyle(Text, ImageDir);
    std::vector<std::string> Problems = CheckStyle(Packed);
    for (const std::string& P : Problems) std::cerr << Source << ": " << P << "\n";
    if (!Problems.empty()) return 1;
  } catch (const Exception& E) {
    std::cerr << Source << ": " << E.Message() << "\n";
    return 1;
  }
  WriteFileBytes(Out, Packed.data(), Packed.size());
  return 0;
}

void PrintRect(const char* What, const TArtRect& R) {
  for (float S : {1.0f, 1.5f, 2.0f}) {
    const TArtRect X = ScaleArtRect(R, S);
    std::cout << What << " " << ScaleText(S) << ": " << X.Left << " " << X.Top << " " << X.Right << " " << X.Bottom
              << "\n";
  }
}

int Rects(const std::string& Name) {
  const TStyleArt* A = FindStyleArt(Name);
  if (!A) {
    std::cerr << "kelvane-style: no style " << Name << "\n";
    return 1;
  }
  const char* States[] = {"normal", "hot", "pressed", "focused"};
  for (int I = 0; I < 4; ++I) PrintRect((std::string("button ") + States[I]).c_str(), A->Button[I]);
  PrintRect("htrack", A->HTrack);
  PrintRect("vtrack", A->VTrack);
  for (int I = 0; I < 4; ++I) PrintRect((std::string("hthumb ") + States[I]).c_str(), A->HThumb[I]);
  for (int I = 0; I < 4; ++I) PrintRect((std::string("vthumb ") + States[I]).c_str(), A->VThumb[I]);
  return 0;
}
}  // namespace


int RunStyleBuildCommand(const std::vector<std::string>& Args) {
  try {
    if (Args.size() == 3 && Args[0] == "art") return Art(Args[1], Args[2]);
    if (Args.size() == 4 && Args[0] == "pack") return Pack(Args[1], Args[2], Args[3]);
    if (Args.size() == 2 && Args[0] == "rects") return Rects(Args[1]);
  } catch (const Exception& E) {
    std::cerr << "kelvane-style: " << E.Message() << "\n";
    return 1;
  }
  return -1;
}

std::string StyleBuildUsage(const std::string& Program) {
  return "       " + Program + " art STYLE OUTDIR\n       " + Program + " pack SOURCE.txt OUT IMAGEDIR\n       " +
         Program + " rects STYLE\n";
}
