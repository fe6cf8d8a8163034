// Every published property of the style classes survives a trip through the writer and the
// reader, and the classes start with the defaults the styles rely on.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "shell/canvas/Bitmap.h"
#include "shell/controls/ImageList.h"
#include "shell/core/Collection.h"
#include "shell/styles/Glyph.h"
#include "shell/styles/Image.h"
#include "shell/styles/Layout.h"
#include "shell/styles/Rectangle.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleCopy.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleTag.h"
#include "shell/styles/StyleTextObject.h"

namespace {

using TPtr = std::unique_ptr<TComponent, TComponentDeleter>;

// Gives every writable stored property of Instance (and of its sub-objects and of one new item
// of each collection) a value other than the one it has.
void ChangeAll(TPersistent* Instance) {
  for (const TPropInfo* P : Instance->ClassType().AllProperties()) {
    if (SameText(P->Name, "Name")) continue;
    const TTypeInfo& T = *P->Type;
    switch (T.Kind) {
      case TTypeKind::Enumeration:
        if (P->SetOrd) P->SetOrd(Instance, (P->GetOrd(Instance) + 1) % static_cast<int64_t>(T.Names.size()));
        break;
      case TTypeKind::Integer:
      case TTypeKind::Int64:
        if (P->SetOrd) P->SetOrd(Instance, T.IdentToInt ? 0xFF123456 : P->GetOrd(Instance) + 3);
        break;
      case TTypeKind::Set:
        if (P->SetOrd) P->SetOrd(Instance, P->GetOrd(Instance) ^ 1);
        break;
      case TTypeKind::Float:
        if (P->SetFloat) P->SetFloat(Instance, P->GetFloat(Instance) + 2.5L);
        break;
      case TTypeKind::String:
        if (P->SetStr) P->SetStr(Instance, "v" + P->Name);
        break;
      case TTypeKind::Class:
        if (auto* C = dynamic_cast<TCollection*>(P->GetObj(Instance))) {
          TCollectionItem* Item = C->Add();
          TBitmap Pixels(3, 2);
          Pixels.Clear(0xFF336699);
          if (auto* B = dynamic_cast<TFixedBitmapItem*>(Item)) B->SetBitmap(&Pixels);
          if (auto* B = dynamic_cast<TImageListItem*>(Item)) B->SetBitmap(&Pixels);
          ChangeAll(Item);
        } else if (auto* Sub = dynamic_cast<TPersistent*>(P->GetObj(Instance))) {
          if (!dynamic_cast<TComponent*>(Sub)) ChangeAll(Sub);
        }
        break;
      default:
        break;
    }
  }
}

// Compares every stored property of A and B, sub-objects and collection items included, and
// the pixels of bitmap items (stored as defined PNG data).
void ExpectSame(TPersistent* A, TPersistent* B, const std::string& Path) {
  if (auto* IA = dynamic_cast<TFixedBitmapItem*>(A)) {
    auto* IB = dynamic_cast<TFixedBitmapItem*>(B);
    ASSERT_NE(IB, nullptr) << Path;
    EXPECT_TRUE(IA->Bitmap()->EqualsBitmap(*IB->Bitmap())) << Path;
  }
  if (auto* IA = dynamic_cast<TImageListItem*>(A)) {
    auto* IB = dynamic_cast<TImageListItem*>(B);
    ASSERT_NE(IB, nullptr) << Path;
    EXPECT_FALSE(IA->Bitmap()->IsEmpty()) << Path;
    EXPECT_TRUE(IA->Bitmap()->EqualsBitmap(*IB->Bitmap())) << Path;
  }
  for (const TPropInfo* P : A->ClassType().AllProperties()) {
    const std::string Name = Path + P->Name;
    if (P->Type->Kind == TTypeKind::Class) {
      // A sub-object that is not stored (a brush's bitmap while it fills with a colour) is not
      // expected back.
      if (P->IsStored && !P->IsStored(A)) continue;
      TObject* OA = P->GetObj(A);
      TObject* OB = P->GetObj(B);
      if (auto* CA = dynamic_cast<TCollection*>(OA)) {
        auto* CB = dynamic_cast<TCollection*>(OB);
        ASSERT_NE(CB, nullptr) << Name;
        ASSERT_EQ(CA->Count(), CB->Count()) << Name;
        for (int I = 0; I < CA->Count(); ++I) ExpectSame(CA->Items(I), CB->Items(I), Name + "[" + std::to_string(I) + "].");
      } else if (auto* SA = dynamic_cast<TPersistent*>(OA); SA && !dynamic_cast<TComponent*>(SA)) {
        ExpectSame(SA, dynamic_cast<TPersistent*>(OB), Name + ".");
      }
      continue;
    }
    if (!P->ShouldStore(A)) continue;
    if (P->GetOrd) {
      EXPECT_EQ(P->GetOrd(A), P->GetOrd(B)) << Name;
    }
    if (P->GetFloat) {
      EXPECT_EQ(P->GetFloat(A), P->GetFloat(B)) << Name;
    }
    if (P->GetStr) {
      EXPECT_EQ(P->GetStr(A), P->GetStr(B)) << Name;
    }
  }
}

TEST(StyleClasses, EveryPublishedPropertyRoundTripsThroughTheStream) {
  RegisterStyleClasses();
  for (const TMetaClass* Class :
       {&TRectangle::StaticClass(), &TLayout::StaticClass(), &TStyleObject::StaticClass(),
        &TButtonStyleObject::StaticClass(), &TActiveStyleObject::StaticClass(),
        &TButtonStyleTextObject::StaticClass(), &TStyleTag::StaticClass(),
        &TGlyph::StaticClass(), &TImage::StaticClass(), &TStyleDescription::StaticClass(),
        &TImageList::StaticClass()}) {
    SCOPED_TRACE(Class->Name());
    TPtr Original(Class->Create(nullptr));
    ChangeAll(Original.get());
    TPtr Copy(ReadStyleObject(WriteStyleObject(*Original)));
    ASSERT_EQ(Copy->ClassName(), Class->Name());
    ExpectSame(Original.get(), Copy.get(), "");
  }
}

TEST(StyleClasses, PartsOfAStyleDoNotTakeTheMouseAndShapesDrawGreyAndBlack) {
  TPtr Layout(new TLayout(nullptr)), Tag(new TStyleTag(nullptr)), Glyph(new TGlyph(nullptr)),
      Object(new TStyleObject(nullptr)), Text(new TButtonStyleTextObject(nullptr));
  for (TComponent* C : {Layout.get(), Tag.get(), Glyph.get(), Object.get(), Text.get()})
    EXPECT_FALSE(static_cast<TControl*>(C)->HitTest()) << C->ClassName();
  EXPECT_FALSE(static_cast<TGlyph*>(Glyph.get())->Visible()) << "no image";
  TRectangle R(nullptr);
  EXPECT_TRUE(R.HitTest());
  EXPECT_EQ(R.Fill()->Kind(), TBrushKind::Solid);
  EXPECT_EQ(R.Fill()->Color(), 0xFFE0E0E0u);
  EXPECT_EQ(R.Stroke()->Color(), 0xFF000000u);
  EXPECT_FLOAT_EQ(R.Stroke()->Thickness(), 1);
  auto* O = static_cast<TStyleObject*>(Object.get());
  EXPECT_EQ(O->WrapMode(), TImageWrapMode::Stretch);
  EXPECT_EQ(O->CapMode(), TCapWrapMode::Stretch);
  EXPECT_FALSE(O->Opaque());
}

}  // namespace

namespace {

TEST(StyleClasses, AnActiveStyleObjectShowsItsActiveLookWhileItsTriggerHolds) {
  RegisterStyleClasses();
  std::unique_ptr<TControl, TComponentDeleter> Control(new TControl(nullptr));
  std::unique_ptr<TActiveStyleObject, TComponentDeleter> Owned(new TActiveStyleObject(nullptr));
  TActiveStyleObject& Knob = *Owned;
  Knob.SetActiveTrigger("IsMouseOver");
  EXPECT_EQ(Knob.CurrentLinks(), Knob.SourceLink());
  Control->DoMouseEnter();
  Knob.StartTriggerAnimation(Control.get(), "IsFocused");  // another trigger: no change
  EXPECT_FALSE(Knob.Active());
  Knob.StartTriggerAnimation(Control.get(), "ISMOUSEOVER");
  EXPECT_TRUE(Knob.Active());
  EXPECT_EQ(Knob.CurrentLinks(), Knob.ActiveLink());
  Control->DoMouseLeave();
  Knob.StartTriggerAnimation(Control.get(), "IsMouseOver");
  EXPECT_EQ(Knob.CurrentLinks(), Knob.SourceLink());
  // A new trigger starts from the source look.
  Control->DoMouseEnter();
  Knob.StartTriggerAnimation(Control.get(), "IsMouseOver");
  Knob.SetActiveTrigger("Pressed");
  EXPECT_FALSE(Knob.Active());
}

}  // namespace
