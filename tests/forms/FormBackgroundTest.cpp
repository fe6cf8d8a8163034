// The form's background style: the copy of "backgroundstyle" laid beneath the controls and
// painted while the form's Fill is of kind None.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "shell/app/Services.h"
#include "shell/controls/BackgroundStyle.h"
#include "shell/controls/Button.h"
#include "shell/controls/ImageList.h"
#include "shell/controls/StyledControl.h"
#include "shell/core/DeviceBehavior.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "shell/stream/ObjectText.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleLookup.h"
#include "shell/styles/StyleManager.h"
#include "shell/styles/StyleStreaming.h"

namespace {

// One window of 100 x 50 whose pixels live in memory.
class TMemoryWindows : public IWindowService {
 public:
  struct TWindow : TWindowHandle {
    std::vector<uint32_t> Pixels = std::vector<uint32_t>(100 * 50, 0xFF0000FF);
    TWindowBuffer Buffer() override {
      TWindowBuffer B;
      B.Data = reinterpret_cast<uint8_t*>(Pixels.data());
      B.Width = 100;
      B.Height = 50;
      B.Stride = 400;
      return B;
    }
  };
  TWindowHandle* CreateWindow(TCommonCustomForm*) override { return &Window; }
  void DestroyWindow(TCommonCustomForm*) override {}
  void ShowWindow(TCommonCustomForm*) override {}
  void HideWindow(TCommonCustomForm*) override {}
  void SetWindowCaption(TCommonCustomForm*, const std::string&) override {}
  TRectF GetWindowRect(TCommonCustomForm*) override { return {0, 0, 100, 50}; }
  void SetWindowRect(TCommonCustomForm*, const TRectF&) override {}
  TSizeF GetClientSize(TCommonCustomForm*) override { return {100, 50}; }
  void SetClientSize(TCommonCustomForm*, const TSizeF&) override {}
  float GetWindowScale(TCommonCustomForm*) override { return 1; }
  void InvalidateWindowRect(TCommonCustomForm*, const TRectF&) override {}

  TWindow Window;
};

class FormBackground : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterStyleClasses();
    TStyleManager::UnInitialize();
    TPlatformServices::Current().AddPlatformService(IWindowService::ServiceName(), static_cast<IWindowService*>(&Windows));
    TPlatformServices::Current().AddPlatformService(IDeviceBehavior::ServiceName(),
                                                    static_cast<IDeviceBehavior*>(&Behavior));
    // A style of one background rectangle, green, and one other, made the active style.
    const std::string Text =
        "object TLayout\n"
        "  object TRectangle\n    StyleName = 'backgroundstyle'\n    Fill.Color = claLime\n"
        "    Stroke.Kind = None\n  end\n"
        "  object TRectangle\n    StyleName = 'otherstyle'\n    Fill.Color = claYellow\n"
        "    Stroke.Kind = None\n  end\n"
        "end\n";
    TBytesStream S(std::vector<uint8_t>(Text.begin(), Text.end()));
    TStyleManager::SetStyle(TStyleStreaming::LoadFromStream(S));
    SetBackgroundStyleLookup(LookupStyleCopy);
    Form = NewForm<TForm>(nullptr, TCreateNew{});
  }
  void TearDown() override {
    Form->Free();
    SetBackgroundStyleLookup(nullptr);
    TStyleManager::UnInitialize();
    TPlatformServices::Current().RemovePlatformService(IDeviceBehavior::ServiceName());
    TPlatformServices::Current().RemovePlatformService(IWindowService::ServiceName());
  }
  uint32_t Pixel(int X, int Y) const { return Windows.Window.Pixels[static_cast<size_t>(Y) * 100 + X]; }
  void Paint() { Form->PaintRects({TRectF(0, 0, 100, 50)}); }

  TMemoryWindows Windows;
  TSystemDeviceBehavior Behavior;
  TForm* Form = nullptr;
};

TEST_F(FormBackground, WithoutAFillTheBackgroundStylePaintsBeneathTheControls) {
  auto* Child = new TControl(Form);
  Child->SetParent(Form);
  EXPECT_EQ(Form->ResourceLink(), nullptr) << "looked up at the first paint";
  Paint();
  TControl* Link = Form->ResourceLink();
  ASSERT_NE(Link, nullptr);
  EXPECT_EQ(Form->Children(0), Link);
  EXPECT_EQ(Link->TagString(), "backgroundstyle");
  EXPECT_EQ(Link->BoundsRect(), TRectF(0, 0, 100, 50));
  EXPECT_FALSE(Link->Stored());
  EXPECT_FALSE(Link->HitTest() && Link->CanFocus());
  EXPECT_EQ(Pixel(50, 25), 0xFF00FF00u);
  // Looked up once.
  Paint();
  EXPECT_EQ(Form->ResourceLink(), Link);
}

TEST_F(FormBackground, AFillPaintsInsteadOfTheStyle) {
  Paint();
  Form->Fill()->SetKind(TBrushKind::Solid);
  Form->Fill()->SetColor(0xFFFF0000);
  Paint();
  EXPECT_EQ(Pixel(50, 25), 0xFFFF0000u);
  EXPECT_FALSE(Form->ResourceLink()->Visible());
  Form->Fill()->SetKind(TBrushKind::None);
  Paint();
  EXPECT_EQ(Pixel(50, 25), 0xFF00FF00u);
}

TEST_F(FormBackground, AnotherLookupTakesEffectAtTheNextPaintAndAMissingOneLeavesTheFill) {
  Paint();
  Form->SetStyleLookup("otherstyle");
  EXPECT_EQ(Form->ResourceLink(), nullptr);
  Paint();
  EXPECT_EQ(Pixel(50, 25), 0xFFFFFF00u);
  Form->SetStyleLookup("nosuchstyle");
  Paint();
  EXPECT_EQ(Form->ResourceLink(), nullptr);
  EXPECT_EQ(Pixel(50, 25), 0xFFFFFFFFu) << "the fill's colour, white";
}

TEST_F(FormBackground, ANewStyleReachesTheFormAndItsControls) {
  InstallStyleLookup();
  auto* Panel = new TStyledControl(Form);
  Panel->SetParent(Form);
  Panel->SetStyleLookup("otherstyle");
  Paint();
  ASSERT_NE(Panel->ResourceLink(), nullptr);
  ASSERT_NE(Form->ResourceLink(), nullptr);
  // The same names, other colours.
  const std::string Text =
      "object TLayout\n"
      "  object TRectangle\n    StyleName = 'backgroundstyle'\n    Fill.Color = claNavy\n"
      "    Stroke.Kind = None\n  end\n"
      "  object TRectangle\n    StyleName = 'otherstyle'\n    Fill.Color = claMaroon\n"
      "    Stroke.Kind = None\n  end\n"
      "end\n";
  TBytesStream S(std::vector<uint8_t>(Text.begin(), Text.end()));
  TStyleManager::SetStyle(TStyleStreaming::LoadFromStream(S));
  EXPECT_EQ(Panel->ResourceLink(), nullptr);
  EXPECT_EQ(Form->ResourceLink(), nullptr);
  Paint();
  EXPECT_EQ(Pixel(80, 25), 0xFF000080u);
  EXPECT_EQ(Pixel(25, 25), 0xFF800000u) << "the 50 x 50 control";
  TStyledControl::SetStyleLookupProc(nullptr);
}

// A form with a stored description holding one styled panel; it notes whether the copy the
// panel was given had finished loading.
class TBoxForm : public TForm {
  KLV_CLASS(TBoxForm)
 public:
  explicit TBoxForm(TComponent* AOwner) : TForm(AOwner) {}
  bool CopyWasLoading = true;
  void Box1ApplyStyleLookup(TObject* Sender) {
    TControl* Link = static_cast<TStyledControl*>(Sender)->ResourceLink();
    CopyWasLoading = Link->IsLoading() || Link->Children(0)->IsLoading();
  }
};
const TMetaClass& TBoxForm::StaticClass() {
  return ClassRecord<TBoxForm>("TBoxForm", &TForm::StaticClass(), [](auto& B) {
    B.Creatable();
    B.Method("Box1ApplyStyleLookup", &TBoxForm::Box1ApplyStyleLookup);
  });
}

TEST_F(FormBackground, AControlLoadedWithItsFormTakesAWholeCopyLaidOutToItsSize) {
  InstallStyleLookup();
  // A style whose object has a child that fills it: laid out only by a copy that has finished
  // loading.
  const std::string Style =
      "object TLayout\n"
      "  object TRectangle\n    StyleName = 'backgroundstyle'\n    Fill.Color = claLime\n"
      "    Stroke.Kind = None\n  end\n"
      "  object TLayout\n    StyleName = 'boxstyle'\n"
      "    object TRectangle\n      StyleName = 'inner'\n      Align = Contents\n"
      "      Fill.Color = claNavy\n      Stroke.Kind = None\n    end\n"
      "  end\n"
      "end\n";
  TBytesStream S(std::vector<uint8_t>(Style.begin(), Style.end()));
  TStyleManager::SetStyle(TStyleStreaming::LoadFromStream(S));
  RegisterClass(TBoxForm::StaticClass());
  SetResource("TBOXFORM", RT_RCDATA,
              ObjectTextToBinary("object BoxForm: TBoxForm\n"
                                 "  object Box1: TPanel\n"
                                 "    StyleLookup = 'boxstyle'\n"
                                 "    Position.X = 10.0\n    Position.Y = 10.0\n"
                                 "    Size.Width = 80.0\n    Size.Height = 30.0\n"
                                 "    Size.PlatformDefault = False\n"
                                 "    OnApplyStyleLookup = Box1ApplyStyleLookup\n"
                                 "  end\n"
                                 "end\n"));
  auto* F = NewForm<TBoxForm>(nullptr);
  RemoveResource("TBOXFORM", RT_RCDATA);
  EXPECT_FALSE(F->CopyWasLoading);
  auto* Box = dynamic_cast<TStyledControl*>(F->FindComponent("Box1"));
  ASSERT_NE(Box, nullptr);
  // Taken once loaded, before any paint.
  ASSERT_NE(Box->ResourceLink(), nullptr);
  TControl* Inner = Box->FindStyleResource("inner");
  ASSERT_NE(Inner, nullptr);
  EXPECT_FALSE(Box->ResourceLink()->IsLoading());
  EXPECT_FALSE(Inner->IsLoading());
  EXPECT_EQ(Inner->BoundsRect(), TRectF(0, 0, 80, 30));
  F->PaintRects({TRectF(0, 0, 100, 50)});
  EXPECT_EQ(Pixel(85, 35), 0xFF000080u) << "the panel's right end";
  EXPECT_EQ(Pixel(5, 5), 0xFF00FF00u) << "the form's background";
  F->Free();
  TStyledControl::SetStyleLookupProc(nullptr);
}

// A form whose stored description holds an image list and a button that shows its image.
class TImagesForm : public TForm {
  KLV_CLASS(TImagesForm)
 public:
  explicit TImagesForm(TComponent* AOwner) : TForm(AOwner) {}
};
const TMetaClass& TImagesForm::StaticClass() {
  return ClassRecord<TImagesForm>("TImagesForm", &TForm::StaticClass(), [](auto& B) { B.Creatable(); });
}

TEST_F(FormBackground, AStoredFormHoldsAnImageListThatItsButtonShows) {
  TBitmap Pixels(2, 3);
  Pixels.Clear(0xFF336699);
  std::string Hex;
  for (uint8_t Byte : Pixels.SaveToPNG()) {
    static const char Digits[] = "0123456789ABCDEF";
    Hex += Digits[Byte >> 4];
    Hex += Digits[Byte & 15];
  }
  RegisterClass(TImagesForm::StaticClass());
  SetResource("TIMAGESFORM", RT_RCDATA,
              ObjectTextToBinary("object ImagesForm: TImagesForm\n"
                                 "  object Button1: TButton\n"
                                 "    Images = ImageList1\n"
                                 "    ImageIndex = 0\n"
                                 "  end\n"
                                 "  object ImageList1: TImageList\n"
                                 "    Bitmaps = <\n"
                                 "      item\n"
                                 "        PNG = {" + Hex + "}\n"
                                 "      end>\n"
                                 "  end\n"
                                 "end\n"));
  auto* F = NewForm<TImagesForm>(nullptr);
  RemoveResource("TIMAGESFORM", RT_RCDATA);
  auto* Button = dynamic_cast<TButton*>(F->FindComponent("Button1"));
  auto* List = dynamic_cast<TImageList*>(F->FindComponent("ImageList1"));
  ASSERT_NE(Button, nullptr);
  ASSERT_NE(List, nullptr);
  // The reference to the list stored after the button is resolved once the form is read.
  EXPECT_EQ(Button->Images(), List);
  EXPECT_EQ(Button->ImageIndex(), 0);
  ASSERT_NE(List->Bitmap(0), nullptr);
  EXPECT_TRUE(List->Bitmap(0)->EqualsBitmap(Pixels));
  F->Free();
}

}  // namespace
