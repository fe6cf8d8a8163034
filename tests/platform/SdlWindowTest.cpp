// Forms' windows on the SDL back end under a real X server (the private Xvfb that the loop
// tests start when DISPLAY is unset).
#include <gtest/gtest.h>

#include <SDL.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>

#include "shell/app/Application.h"
#include "shell/controls/Button.h"
#include "shell/controls/Control.h"
#include "shell/platform/Platform.h"
#include "shell/platform/sdl/SdlPlatform.h"
#include "shell/platform/sdl/XResources.h"

// Last: Xlib's macros (None, Status, …) would rename the framework's own names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

extern char** environ;

namespace {

class SdlWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server (install xvfb)";
    auto B = std::make_unique<TSdlBackend>();
    Backend = B.get();
    Platform = std::make_unique<TPlatform>(std::move(B));
    Form = new TForm(nullptr, TCreateNew{});
    Form->AfterConstruction();
    Form->SetCaption("Form1");
    Form->SetClientHeight(480);
    Form->SetClientWidth(634);
    Form->Fill()->SetKind(TBrushKind::Solid);
    Form->Fill()->SetColor(0xFFFF0000);
  }
  void TearDown() override {
    if (Form) Form->Free();
    Platform.reset();
  }
  TPlatformWindow& Window() { return *Platform->FindWindow(Form); }
  SDL_Window* Native() { return static_cast<SDL_Window*>(Backend->NativeWindow(Window())); }
  // Runs the loop until Done holds or two seconds have passed.
  template <typename F>
  bool RunUntil(F Done) {
    auto Start = std::chrono::steady_clock::now();
    while (!Done()) {
      if (std::chrono::steady_clock::now() - Start > std::chrono::seconds(2)) return false;
      if (!Platform->HandleMessage()) Backend->Wait(Backend->Now() + 10);
    }
    return true;
  }

  TSdlBackend* Backend = nullptr;
  std::unique_ptr<TPlatform> Platform;
  TForm* Form = nullptr;
};

TEST_F(SdlWindow, AFormHasAResizableWindowTitledWithItsCaptionHiddenUntilShown) {
  const uint32_t Flags = SDL_GetWindowFlags(Native());
  EXPECT_TRUE(Flags & SDL_WINDOW_HIDDEN);
  EXPECT_TRUE(Flags & SDL_WINDOW_RESIZABLE);
  EXPECT_STREQ(SDL_GetWindowTitle(Native()), "Form1");
  int W = 0, H = 0;
  SDL_GetWindowSize(Native(), &W, &H);
  EXPECT_EQ(W, 634);
  EXPECT_EQ(H, 480);
  Form->Show();
  EXPECT_TRUE(SDL_GetWindowFlags(Native()) & SDL_WINDOW_SHOWN);
  Form->SetCaption("Renamed");
  EXPECT_STREQ(SDL_GetWindowTitle(Native()), "Renamed");
}

TEST_F(SdlWindow, TheCanvasDrawsStraightIntoTheWindowSurface) {
  Form->Show();
  ASSERT_TRUE(RunUntil([&] { return !Window().NeedsPaint() && Form->Canvas(); }));
  // Xvfb's 24-bit screens give XRGB8888 surfaces, which take Cairo's pixels as they are.
  EXPECT_TRUE(Backend->DrawsIntoWindowSurface(Window()));
  SDL_Surface* S = SDL_GetWindowSurface(Native());
  ASSERT_NE(S, nullptr);
  EXPECT_EQ(S->w, 634);
  const auto* Pixels = static_cast<const uint32_t*>(S->pixels);
  EXPECT_EQ(Pixels[10 * S->pitch / 4 + 10] & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(Form->Canvas()->WindowBuffer().Data, static_cast<const uint8_t*>(S->pixels));
}

TEST_F(SdlWindow, AResizeByTheSystemReachesTheForm) {
  Form->Show();
  ASSERT_TRUE(RunUntil([&] { return !Window().NeedsPaint(); }));
  // What a window manager does when the user drags the border.
  SDL_SetWindowSize(Native(), 500, 300);
  ASSERT_TRUE(RunUntil([&] { return Form->ClientWidth() == 500 && Form->ClientHeight() == 300; }))
      << Form->ClientWidth() << " x " << Form->ClientHeight();
  ASSERT_TRUE(RunUntil([&] { return !Window().NeedsPaint(); }));
  EXPECT_EQ(Form->Canvas()->Width(), 500);
}

// The desktop's scale changes, as xrdb changes Xft.dpi: the real window follows each scale and
// keeps the logical client size it was asked for, back at scale 1 exactly 634 × 480.
TEST_F(SdlWindow, EveryNewXftDpiKeepsTheLogicalClientSize) {
  Display* D = XOpenDisplay(nullptr);
  ASSERT_NE(D, nullptr);
  const ::Window Root = DefaultRootWindow(D);
  // No resource left for the tests after this one, whatever happens here.
  struct TRestore {
    Display* D;
    ::Window Root;
    ~TRestore() {
      XDeleteProperty(D, Root, XA_RESOURCE_MANAGER);
      XCloseDisplay(D);
    }
  } Restore{D, Root};
  Form->Show();
  ASSERT_TRUE(RunUntil([&] { return !Window().NeedsPaint(); }));
  struct TStep {
    const char* Dpi;  // none: the entry removed
    int Width, Height;
  };
  const TStep Steps[] = {{"120", 793, 600}, {nullptr, 634, 480}, {"120", 793, 600}, {"144", 951, 720},
                         {"120", 793, 600}, {"144", 951, 720},   {"120", 793, 600}, {nullptr, 634, 480}};
  for (const TStep& S : Steps) {
    SCOPED_TRACE(S.Dpi ? S.Dpi : "removed");
    if (S.Dpi) {
      const std::string Resources = std::string("Xft.dpi:\t") + S.Dpi + "\n";
      XChangeProperty(D, Root, XA_RESOURCE_MANAGER, XA_STRING, 8, PropModeReplace,
                      reinterpret_cast<const unsigned char*>(Resources.data()), static_cast<int>(Resources.size()));
    } else {
      XDeleteProperty(D, Root, XA_RESOURCE_MANAGER);
    }
    XFlush(D);
    int W = 0, H = 0;
    EXPECT_TRUE(RunUntil([&] {
      SDL_GetWindowSize(Native(), &W, &H);
      return W == S.Width && H == S.Height && Window().ClientWidth() == S.Width && Window().ClientHeight() == S.Height;
    })) << W << " x " << H;
  }
  EXPECT_EQ(Form->ClientWidth(), 634);
  EXPECT_EQ(Form->ClientHeight(), 480);
}

TEST_F(SdlWindow, TheSystemsCloseRequestGoesToTheFormsClose) {
  struct TWatch : TObject {
    int Closes = 0;
    void OnClose(TObject*, TCloseAction& Action) {
      ++Closes;
      Action = caHide;
    }
  } Watch;
  Form->OnClose = TCloseEvent(&Watch, &TWatch::OnClose);
  Form->Show();
  SDL_Event Close{};
  Close.type = SDL_WINDOWEVENT;
  Close.window.event = SDL_WINDOWEVENT_CLOSE;
  Close.window.windowID = SDL_GetWindowID(Native());
  SDL_PushEvent(&Close);
  ASSERT_TRUE(RunUntil([&] { return Watch.Closes == 1; }));
  EXPECT_FALSE(Form->Visible()) << "not the main form: hidden";
  EXPECT_FALSE(Application->Terminated());
}

TEST_F(SdlWindow, AClickOfTheMouseReachesTheControlUnderIt) {
  struct TWatch : TObject {
    int Clicks = 0;
    void Click(TObject*) { ++Clicks; }
  } Watch;
  auto* Target = new TControl(Form);
  Target->SetParent(Form);
  Target->SetBounds(100, 100, 50, 30);
  Target->OnClick = TNotifyEvent(&Watch, &TWatch::Click);
  Form->Show();
  const uint32_t ID = SDL_GetWindowID(Native());
  for (uint32_t Type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
    SDL_Event E{};
    E.type = Type;
    E.button.windowID = ID;
    E.button.button = SDL_BUTTON_LEFT;
    E.button.state = Type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
    E.button.clicks = 1;
    E.button.x = 120;
    E.button.y = 110;
    SDL_PushEvent(&E);
  }
  ASSERT_TRUE(RunUntil([&] { return Watch.Clicks == 1; }));
  EXPECT_EQ(Form->Input().MousePos(), TPointF(120, 110));
}

// What SDL really sends for one press of a key on a button: the key, its character (for
// Space), and the key's release; held down, the key and its character again per repeat.
TEST_F(SdlWindow, AKeyAndItsCharacterAreOneKeyDownMessage) {
  struct TWatch : TObject {
    int Clicks = 0, KeyUps = 0;
    void Click(TObject*) { ++Clicks; }
    void KeyUp(TObject*, uint16_t&, char32_t&, TShiftState) { ++KeyUps; }
  } Watch;
  auto* Button = new TButton(Form);
  Button->SetParent(Form);
  Button->SetBounds(10, 10, 80, 22);
  Button->OnClick = TNotifyEvent(&Watch, &TWatch::Click);
  Button->OnKeyUp = TKeyEvent(&Watch, &TWatch::KeyUp);
  Form->Show();
  Button->SetFocus();
  const uint32_t ID = SDL_GetWindowID(Native());
  auto Key = [ID](uint32_t Type, SDL_Keycode Sym, bool Repeat = false) {
    SDL_Event E{};
    E.type = Type;
    E.key.windowID = ID;
    E.key.state = Type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
    E.key.repeat = Repeat ? 1 : 0;
    E.key.keysym.sym = Sym;
    SDL_PushEvent(&E);
  };
  auto Text = [ID](const char* T) {
    SDL_Event E{};
    E.type = SDL_TEXTINPUT;
    E.text.windowID = ID;
    std::snprintf(E.text.text, sizeof E.text.text, "%s", T);
    SDL_PushEvent(&E);
  };
  struct TCase {
    SDL_Keycode Sym;
    const char* Char;  // what SDL sends as text for the key, or none
    int Repeats;
  } Cases[] = {{SDLK_SPACE, " ", 0}, {SDLK_SPACE, " ", 2}, {SDLK_RETURN, nullptr, 0}, {SDLK_RETURN, nullptr, 3}};
  for (const TCase& C : Cases) {
    const int Before = Watch.Clicks, UpsBefore = Watch.KeyUps;
    for (int I = 0; I <= C.Repeats; ++I) {
      Key(SDL_KEYDOWN, C.Sym, I > 0);
      if (C.Char) Text(C.Char);
    }
    Key(SDL_KEYUP, C.Sym);
    ASSERT_TRUE(RunUntil([&] { return Watch.KeyUps == UpsBefore + 1; }));
    EXPECT_EQ(Watch.Clicks - Before, C.Repeats + 1) << "key " << C.Sym << " with " << C.Repeats << " repeats";
  }
}

TEST_F(SdlWindow, EverySecondPressOfARunOfFastClicksIsADoubleClick) {
  struct TWatch : TObject {
    int DblClicks = 0, Ups = 0;
    void DblClick(TObject*) { ++DblClicks; }
    void Up(TObject*, TMouseButton, TShiftState, float, float) { ++Ups; }
  } Watch;
  auto* Target = new TControl(Form);
  Target->SetParent(Form);
  Target->SetBounds(100, 100, 50, 30);
  Target->OnDblClick = TNotifyEvent(&Watch, &TWatch::DblClick);
  Target->OnMouseUp = TMouseEvent(&Watch, &TWatch::Up);
  Form->Show();
  const uint32_t ID = SDL_GetWindowID(Native());
  // SDL counts the presses of a run of fast clicks 1, 2, 3, ...
  for (uint8_t Clicks = 1; Clicks <= 5; ++Clicks)
    for (uint32_t Type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
      SDL_Event E{};
      E.type = Type;
      E.button.windowID = ID;
      E.button.button = SDL_BUTTON_LEFT;
      E.button.state = Type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
      E.button.clicks = Clicks;
      E.button.x = 120;
      E.button.y = 110;
      SDL_PushEvent(&E);
    }
  ASSERT_TRUE(RunUntil([&] { return Watch.Ups == 5; }));
  EXPECT_EQ(Watch.DblClicks, 2) << "the second and the fourth press";
}

// An X server of 16-bit colour for one test: its window surfaces are RGB565, which the canvas
// cannot draw into, so the form paints into pixels of its own that are converted on present.
class SdlWindowOn16Bits : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* Old = std::getenv("DISPLAY");
    if (!Old) GTEST_SKIP() << "no X server (install xvfb)";
    FOldDisplay = Old;
    for (int N = 140; N < 190 && FPid == 0; ++N) {
      // Appended rather than added: GCC 12 misreports "literal" + string in release builds.
      const std::string Number = std::to_string(N);
      std::string Socket = "/tmp/.X11-unix/X", Lock = "/tmp/.X", Display = ":";
      Socket += Number;
      Lock += Number;
      Lock += "-lock";
      Display += Number;
      struct stat S;
      if (stat(Socket.c_str(), &S) == 0 || stat(Lock.c_str(), &S) == 0) continue;
      const char* Args[] = {"Xvfb", Display.c_str(), "-nolisten", "tcp", "-screen", "0", "800x600x16", nullptr};
      pid_t Pid = 0;
      if (posix_spawnp(&Pid, "Xvfb", nullptr, nullptr, const_cast<char**>(Args), environ) != 0) break;
      for (int Try = 0; Try < 100 && stat(Socket.c_str(), &S) != 0 && waitpid(Pid, nullptr, WNOHANG) == 0; ++Try)
        usleep(50000);
      if (stat(Socket.c_str(), &S) != 0) {
        kill(Pid, SIGTERM);
        waitpid(Pid, nullptr, 0);
        continue;
      }
      FPid = Pid;
      setenv("DISPLAY", Display.c_str(), 1);
    }
    if (FPid == 0) GTEST_SKIP() << "no second X server could be started";
  }
  void TearDown() override {
    if (FPid == 0) return;
    kill(FPid, SIGTERM);
    waitpid(FPid, nullptr, 0);
    setenv("DISPLAY", FOldDisplay.c_str(), 1);
  }

 private:
  pid_t FPid = 0;
  std::string FOldDisplay;
};

TEST_F(SdlWindowOn16Bits, AWindowSurfaceOfAnotherFormatGetsTheConvertedPixels) {
  {
    // SDL lets go of this server when the platform goes, before the server is stopped.
    TPlatform Platform(std::make_unique<TSdlBackend>());
    auto& Backend = static_cast<TSdlBackend&>(Platform.Backend());
    auto* Form = new TForm(nullptr, TCreateNew{});
    Form->AfterConstruction();
    Form->SetClientHeight(100);
    Form->SetClientWidth(200);
    Form->Fill()->SetKind(TBrushKind::Solid);
    Form->Fill()->SetColor(0xFFFF0000);
    Form->Show();
    TPlatformWindow& Window = *Platform.FindWindow(Form);
    auto Start = std::chrono::steady_clock::now();
    while ((Window.NeedsPaint() || !Form->Canvas()) && std::chrono::steady_clock::now() - Start < std::chrono::seconds(2))
      if (!Platform.HandleMessage()) Backend.Wait(Backend.Now() + 10);
    auto* Native = static_cast<SDL_Window*>(Backend.NativeWindow(Window));
    SDL_Surface* S = SDL_GetWindowSurface(Native);
    ASSERT_NE(S, nullptr);
    EXPECT_EQ(SDL_BITSPERPIXEL(S->format->format), 16u);
    EXPECT_FALSE(Backend.DrawsIntoWindowSurface(Window));
    EXPECT_NE(Form->Canvas()->WindowBuffer().Data, static_cast<const uint8_t*>(S->pixels));
    uint8_t R = 0, G = 0, B = 0;
    const auto* Row = static_cast<const uint8_t*>(S->pixels) + 50 * S->pitch;
    SDL_GetRGB(reinterpret_cast<const uint16_t*>(Row)[100], S->format, &R, &G, &B);
    EXPECT_EQ(R, 255);
    EXPECT_EQ(G, 0);
    EXPECT_EQ(B, 0);
    Form->Free();
  }
}

TEST(XftDpi, TheResourceValueIsAPositiveNumber) {
  struct TCase {
    const char* Text;
    std::optional<double> Dpi;
  };
  const TCase Cases[] = {{"96", 96.0},         {"144", 144.0}, {"120.5", 120.5}, {" 192 ", 192.0},
                         {"", std::nullopt},   {"abc", std::nullopt}, {"96dpi", std::nullopt},
                         {"0", std::nullopt},  {"-96", std::nullopt}, {"nan", std::nullopt}};
  for (const TCase& C : Cases) EXPECT_EQ(ParseXftDpi(C.Text), C.Dpi) << "'" << C.Text << "'";
}

}  // namespace
