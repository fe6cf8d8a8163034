#include "scene3d/Position3D.h"

#include <charconv>
#include <cmath>
#include <vector>

#include "shell/core/Filer.h"

const TMetaClass& TPosition3D::StaticClass() {
  return ClassRecord<TPosition3D>("TPosition3D", &TPersistent::StaticClass(), [](auto& B) {
    B.Property("X", &TPosition3D::X, &TPosition3D::SetX)
        .Stored([](const TPosition3D& P) { return P.FX != P.FDefaultValue.X; });
    B.Property("Y", &TPosition3D::Y, &TPosition3D::SetY)
        .Stored([](const TPosition3D& P) { return P.FY != P.FDefaultValue.Y; });
    B.Property("Z", &TPosition3D::Z, &TPosition3D::SetZ)
        .Stored([](const TPosition3D& P) { return P.FZ != P.FDefaultValue.Z; });
  });
}

TPosition3D::TPosition3D(const TPoint3D& ADefaultValue)
    : FX(ADefaultValue.X), FY(ADefaultValue.Y), FZ(ADefaultValue.Z), FDefaultValue(ADefaultValue) {}

void TPosition3D::SetComponent(float& Field, float Value, const TNotifyEvent& Own) {
  if (Field == Value || std::isnan(Field) || std::isnan(Value)) return;
  Field = Value;
  if (Own)
    Own(this);
  else if (OnChange)
    OnChange(this);
}

void TPosition3D::SetX(float Value) { SetComponent(FX, Value, OnChangeX); }
void TPosition3D::SetY(float Value) { SetComponent(FY, Value, OnChangeY); }
void TPosition3D::SetZ(float Value) { SetComponent(FZ, Value, OnChangeZ); }

void TPosition3D::SetPoint(const TPoint3D& Value) {
  FX = Value.X;
  FY = Value.Y;
  FZ = Value.Z;
  if (OnChange) OnChange(this);
}

void TPosition3D::SetPoint3DNoChange(const TPoint3D& Value) {
  FX = Value.X;
  FY = Value.Y;
  FZ = Value.Z;
}

void TPosition3D::Assign(TPersistent* Source) {
  if (auto* Other = dynamic_cast<TPosition3D*>(Source)) {
    SetPoint(Other->Point());
    return;
  }
  TPersistent::Assign(Source);
}

void TPosition3D::DefineProperties(TFiler& Filer) {
  TPersistent::DefineProperties(Filer);
  // Older streams store the whole point as one text; it is read, never written.
  Filer.DefineProperty("Point", [this](IValueReader& R) { ReadPoint(R.ReadString()); }, nullptr, false);
}

void TPosition3D::ReadPoint(const std::string& Text) {
  float V[3] = {0, 0, 0};
  if (ParseFloatTuple(Text, V, 3) != 3) V[0] = V[1] = V[2] = 0;
  SetPoint({V[0], V[1], V[2]});
}

int ParseFloatTuple(const std::string& Text, float* Values, int Count) {
  std::vector<std::string> Tokens(1);
  for (char C : Text) {
    if (C == ',' || C == '(' || C == ')')
      Tokens.emplace_back();
    else
      Tokens.back() += C;
  }
  int Done = 0;
  for (size_t I = 1; I < Tokens.size() && Done < Count; ++I) {
    std::string T = Tokens[I];
    // Surrounding blanks are tolerated, as the text conversion of numbers does.
    while (!T.empty() && T.front() == ' ') T.erase(T.begin());
    while (!T.empty() && T.back() == ' ') T.pop_back();
    double V = 0;
    const char* Begin = T.data();
    if (!T.empty() && T.front() == '+') ++Begin;
    auto [Ptr, Ec] = std::from_chars(Begin, T.data() + T.size(), V);
    if (T.empty() || Ec != std::errc() || Ptr != T.data() + T.size()) break;
    Values[Done++] = static_cast<float>(V);
  }
  return Done;
}
