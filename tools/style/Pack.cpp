#include "tools/style/Pack.h"

#include <cmath>
#include <fstream>
#include <iterator>
#include <memory>

#include "shell/core/Exceptions.h"
#include "shell/core/TypeInfo.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Image.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleStreaming.h"

namespace {
std::string Hex(const std::string& Bytes) {
  static const char Digits[] = "0123456789ABCDEF";
  std::string Out;
  Out.reserve(Bytes.size() * 2);
  for (unsigned char C : Bytes) {
    Out += Digits[C >> 4];
    Out += Digits[C & 15];
  }
  return Out;
}

void CheckLinks(const TCustomStyleObject& Object, const char* What, const TBitmapLinks* Links, TImage* Image,
                std::vector<std::string>& Problems) {
  const std::string Where = Object.StyleName().empty() ? Object.ClassName() : Object.StyleName();
  for (int I = 0; I < Links->Count(); ++I) {
    const TBitmapLink* L = Links->Items(I);
    TFixedBitmapItem* Variant = Image->MultiResBitmap()->ItemByScale(L->Scale());
    std::string Label = Where;
    Label.append(" ").append(What).append(" at ").append(std::to_string(L->Scale()));
    if (!Variant || std::fabs(Variant->Scale() - L->Scale()) > 1e-4f) {
      Problems.push_back(Label + ": no image variant of that scale");
      continue;
    }
    const TRectF R = L->SourceRect()->Rect();
    const TRectF B = Variant->Bitmap()->Bounds();
    if (R.IsEmpty() || R.Left < 0 || R.Top < 0 || R.Right > B.Right || R.Bottom > B.Bottom)
      Problems.push_back(Label + ": source rectangle outside the image");
    const TRectF C = L->CapInsets()->Rect();
    if (C.Left + C.Right > R.Width() || C.Top + C.Bottom > R.Height())
      Problems.push_back(Label + ": cap insets larger than the rectangle");
  }
}

void CheckTree(TTreeObject& Tree, std::vector<std::string>& Problems) {
  if (auto* Object = dynamic_cast<TCustomStyleObject*>(&Tree)) {
    TImage* Image = Object->FindSourceImage();
    if (!Image) {
      std::string P = Object->StyleName().empty() ? Object->ClassName() : Object->StyleName();
      P.append(": no image named '").append(Object->SourceLookup()).append("'");
      Problems.push_back(P);
    } else if (auto* Button = dynamic_cast<TButtonStyleObject*>(Object)) {
      CheckLinks(*Object, "NormalLink", Button->NormalLink(), Image, Problems);
      CheckLinks(*Object, "HotLink", Button->HotLink(), Image, Problems);
      CheckLinks(*Object, "PressedLink", Button->PressedLink(), Image, Problems);
      CheckLinks(*Object, "FocusedLink", Button->FocusedLink(), Image, Problems);
    } else {
      CheckLinks(*Object, "SourceLink", Object->CurrentLinks(), Image, Problems);
    }
  }
  for (TTreeObject* Child : Tree.ChildList()) CheckTree(*Child, Problems);
}
}  // namespace

std::string ExpandFileReferences(const std::string& Source, const std::string& ImageDir) {
  std::string Out;
  size_t I = 0;
  while (I < Source.size()) {
    const char C = Source[I];
    if (C == '\'') {
      // A string: up to the closing quote (a doubled quote stays inside).
      size_t End = I + 1;
      while (End < Source.size() && Source[End] != '\'' && Source[End] != '\n') ++End;
      Out.append(Source, I, End + 1 - I);
      I = End + 1;
    } else if (C == '/' && I + 1 < Source.size() && Source[I + 1] == '/') {
      const size_t End = Source.find('\n', I);
      const size_t Stop = End == std::string::npos ? Source.size() : End;
      Out.append(Source, I, Stop - I);
      I = Stop;
    } else if (C == '{' && I + 1 < Source.size() && Source[I + 1] == '@') {
      const size_t End = Source.find('}', I);
      if (End == std::string::npos) throw Exception("'}' expected after {@");
      const std::string Name = Source.substr(I + 2, End - I - 2);
      std::string Path = ImageDir;
      Path.append("/").append(Name);
      std::ifstream In(Path, std::ios::binary);
      if (!In) throw Exception(Format("Cannot read %s", {Path}));
      const std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
      Out.append("{").append(Hex(Bytes)).append("}");
      I = End + 1;
    } else {
      Out += C;
      ++I;
    }
  }
  return Out;
}

std::vector<uint8_t> PackStyle(const std::string& Source, const std::string& ImageDir) {
  RegisterStyleClasses();
  const std::vector<uint8_t> Binary = ObjectTextToBinary(ExpandFileReferences(Source, ImageDir));
  std::unique_ptr<TComponent, TComponentDeleter> Root(ReadStyleObject(Binary));
  auto* Tree = dynamic_cast<TTreeObject*>(Root.get());
  if (!Tree) throw Exception("The style's root holds no items");

  std::vector<TStyleItem> Description, Images, Objects;
  for (TTreeObject* Child : Tree->ChildList()) {
    TStyleItem Item;
    if (dynamic_cast<TStyleDescription*>(Child)) {
      Item.Name = "Description";
    } else {
      Item.Name = Child->StyleName();
      if (Item.Name.empty()) throw Exception(Format("An item of class %s has no StyleName", {Child->ClassName()}));
    }
    for (const auto* List : {&Description, &Images, &Objects})
      for (const TStyleItem& Other : *List)
        if (SameText(Other.Name, Item.Name)) throw Exception(Format("Two items are named %s", {Item.Name}));
    Item.Data = WriteStyleObject(*Child);
    auto& List = Item.Name == "Description" ? Description
                 : TStyleStreaming::IsImageItemName(Item.Name) ? Images
                                                                : Objects;
    List.push_back(std::move(Item));
  }
  std::vector<TStyleItem> Items;
  for (auto* List : {&Description, &Images, &Objects})
    for (TStyleItem& Item : *List) Items.push_back(std::move(Item));
  TBytesStream Out;
  TStyleStreaming::WriteIndexed(Out, Items);
  return Out.TakeBytes();
}

std::vector<std::string> CheckStyle(const std::vector<uint8_t>& Packed) {
  std::vector<std::string> Problems;
  TBufferStream Stream(Packed.data(), Packed.size());
  std::unique_ptr<TStyleContainer, TComponentDeleter> Style(TStyleStreaming::LoadFromStream(Stream));
  TStyleDescription* D = Style->Description();
  if (!D || D->Title().empty()) Problems.push_back("no description with a title");
  Stream.SetPosition(static_cast<int64_t>(TStyleStreaming::SignatureSize));
  auto Index = TStyleStreaming::ReadIndex(Stream);
  if (Index.empty() || Index.front().first != "Description") Problems.push_back("the description is not the first item");
  for (TTreeObject* Child : Style->ChildList()) {
    auto* Image = dynamic_cast<TImage*>(Child);
    if (!Image) continue;
    for (float S : {1.0f, 1.5f, 2.0f}) {
      TFixedBitmapItem* V = Image->MultiResBitmap()->ItemByScale(S);
      if (!V || V->Scale() != S || V->Bitmap()->IsEmpty())
        Problems.push_back(std::string(Image->StyleName()).append(": no image for scale ").append(std::to_string(S)));
    }
  }
  CheckTree(*Style, Problems);
  return Problems;
}
