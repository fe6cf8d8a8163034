#include "tools/style/StyleFrame.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <utility>

#include "shell/app/Application.h"
#include "shell/canvas/Bitmap.h"
#include "shell/controls/Button.h"
#include "shell/controls/Register.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/Exceptions.h"
#include "shell/forms/Form.h"
#include "shell/platform/headless/HeadlessPlatform.h"
#include "shell/stream/Stream.h"
#include "shell/styles/Register.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleManager.h"
#include "shell/styles/StyleStreaming.h"
#include "shell/script/WindowFrame.h"

namespace {
bool HoldsThumb(TTreeObject& Tree) {
  if (dynamic_cast<TThumb*>(&Tree)) return true;
  for (TTreeObject* Child : Tree.ChildList())
    if (HoldsThumb(*Child)) return true;
  return false;
}

// The thumb in Tree whose style is Name, or none.
TThumb* ThumbStyledBy(TTreeObject& Tree, const std::string& Name) {
  auto* Thumb = dynamic_cast<TThumb*>(&Tree);
  if (Thumb && SameText(Thumb->StyleLookup(), Name)) return Thumb;
  for (TTreeObject* Child : Tree.ChildList())
    if (TThumb* Found = ThumbStyledBy(*Child, Name)) return Found;
  return nullptr;
}

bool SamePixels(TBitmap& A, TBitmap& B) {
  if (A.Width() != B.Width() || A.Height() != B.Height()) return false;
  for (int Y = 0; Y < A.Height(); ++Y)
    for (int X = 0; X < A.Width(); ++X)
      if (A.Pixel(X, Y) != B.Pixel(X, Y)) return false;
  return true;
}

// The pictures side by side, left to right.
std::unique_ptr<TBitmap> SideBySide(const std::vector<std::unique_ptr<TBitmap>>& Pictures) {
  const int W = Pictures.front()->Width(), H = Pictures.front()->Height();
  auto Strip = std::make_unique<TBitmap>(W * static_cast<int>(Pictures.size()), H);
  TBitmapData To;
  Strip->Map(TMapAccess::Write, To);
  for (size_t I = 0; I < Pictures.size(); ++I) {
    TBitmapData From;
    Pictures[I]->Map(TMapAccess::Read, From);
    for (int Y = 0; Y < H; ++Y) std::copy_n(From.Scanline(Y), W, To.Scanline(Y) + static_cast<ptrdiff_t>(I) * W);
    Pictures[I]->Unmap(From);
  }
  Strip->Unmap(To);
  return Strip;
}
}  // namespace

void PaintStyleFrame(const std::vector<uint8_t>& Style, const std::string& Name, const std::string& Out,
                     const TStyleFrameOptions& Options) {
  THeadlessOptions Headless;
  Headless.Scale = Options.Scale;
  Headless.PrintErrorBoxes = false;
  THeadlessBackend& Backend = InstallHeadlessPlatform(Headless);
  InitializeStyles();
  RegisterControlClasses();

  TBufferStream Stream(Style.data(), Style.size());
  std::unique_ptr<TStyleContainer, TComponentDeleter> Container(TStyleStreaming::LoadFromStream(Stream));
  auto* Object = dynamic_cast<TControl*>(Container->FindStyleResource(Name));
  if (!Object) throw Exception(Format("No style object %s in the style", {Name}));
  // A thumb's style shows on the slider whose style holds that thumb, in the orientation that
  // shows it: alone, a thumb has no track to stand on and takes no input.
  std::string Lookup = Name;
  TControl* Sized = Object;
  bool ThumbVertical = false;
  for (TTreeObject* Item : Container->ChildList()) {
    auto* Holder = dynamic_cast<TControl*>(Item);
    TThumb* Thumb = Holder && Holder != Object ? ThumbStyledBy(*Holder, Name) : nullptr;
    if (!Thumb || Holder->StyleName().empty()) continue;
    Lookup = Holder->StyleName();
    Sized = Holder;
    ThumbVertical = SameText(Thumb->StyleName(), "vthumb");
    break;
  }
  float StoredWidth = Sized->Width(), StoredHeight = Sized->Height();
  // The holder's stored size is its horizontal one.
  if (Sized != Object && ThumbVertical && StoredWidth > StoredHeight) std::swap(StoredWidth, StoredHeight);
  const int Width = Options.Width > 0 ? Options.Width : std::max(1, static_cast<int>(std::ceil(StoredWidth)));
  const int Height = Options.Height > 0 ? Options.Height : std::max(1, static_cast<int>(std::ceil(StoredHeight)));
  const bool Slider = Sized != Object || HoldsThumb(*Object);
  const bool Vertical = Sized != Object ? ThumbVertical : Height > Width;
  TStyleManager::SetStyle(Container.release());

  TForm* Form = NewForm<TForm>(Application, TCreateNew{});
  Form->SetClientWidth(Width);
  Form->SetClientHeight(Height);
  // Only the control shows: nothing of the style's background behind it.
  Form->Fill()->SetKind(TBrushKind::Solid);
  Form->Fill()->SetColor(0);
  TStyledControl* Control = nullptr;
  TTrackBar* Track = nullptr;
  // Placed on the form before it is aligned: a control aligned without a parent keeps its own
  // size until something realigns the form.
  if (Slider) {
    Track = new TTrackBar(Form);
    Control = Track;
    Track->SetParent(Form);
    Track->SetOrientation(Vertical ? TOrientation::Vertical : TOrientation::Horizontal);
    // A slider keeps the height (or width) its style fixes, in the middle of the picture.
    Track->SetAlign(Vertical ? TAlignLayout::HorzCenter : TAlignLayout::VertCenter);
    Track->SetValue((Track->Min() + Track->Max()) / 2);
  } else {
    Control = new TButton(Form);
    Control->SetParent(Form);
    Control->SetAlign(TAlignLayout::Client);
  }
  Control->SetStyleLookup(Lookup);
  Form->SetVisible(true);
  TPlatformWindow& Window = *TPlatform::Current()->FindWindow(Form);

  // Where the mouse goes for the hot and pressed looks, in physical pixels.
  auto Target = [&] {
    const TRectF R = Track && Track->Thumb() ? Track->Thumb()->AbsoluteRect() : Control->AbsoluteRect();
    return TPointF((R.Left + R.Right) / 2 * Window.Scale(), (R.Top + R.Bottom) / 2 * Window.Scale());
  };
  std::vector<std::unique_ptr<TBitmap>> States;
  std::string Failure;
  // Each step runs once the loop has painted what the one before did.
  Backend.SetDriver([&] {
    try {
      States.push_back(WindowFrame(Backend, Window));
      TPlatform& P = *TPlatform::Current();
      const TPointF At = Target();
      switch (States.size()) {
        case 1:
          P.WindowMouseMove(Window, {}, At.X, At.Y);
          return;
        case 2:
          P.WindowMouseDown(Window, TMouseButton::mbLeft, {ssLeft}, At.X, At.Y);
          return;
        case 3:
          P.WindowMouseUp(Window, TMouseButton::mbLeft, {}, At.X, At.Y);
          P.WindowMouseLeave(Window);
          Control->SetFocus();
          return;
        default:
          break;
      }
    } catch (const std::exception& E) {
      Failure = E.what();
    }
    Application->Terminate();
  });
  Application->Run();
  if (!Failure.empty()) throw Exception(Failure);
  if (!Backend.ErrorBoxes().empty()) throw Exception(Backend.ErrorBoxes().front());
  if (States.size() != 4) throw Exception("The control was not painted in every state");
  bool Differ = false;
  for (size_t I = 1; I < States.size(); ++I) Differ = Differ || !SamePixels(*States[0], *States[I]);
  if (!Differ) States.resize(1);
  SideBySide(States)->SaveToFile(Out);
}
