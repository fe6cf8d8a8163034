#include "shell/script/InputCommands.h"

#include <cmath>
#include <functional>
#include <sstream>
#include <vector>

#include "shell/controls/KeyNames.h"
#include "shell/core/Exceptions.h"
#include "shell/platform/Platform.h"
#include "shell/stream/detail/Encoding.h"

std::vector<std::string> Words(const std::string& Text) {
  std::istringstream In(Text);
  std::vector<std::string> Out;
  for (std::string W; In >> W;) Out.push_back(W);
  return Out;
}

namespace {
bool Lower(const std::string& A, const char* B) { return SameText(A, B); }

float Number(const std::string& Command, const std::vector<std::string>& W, size_t I, const char* Name) {
  if (I >= W.size()) throw Exception(Format("%s: missing %s", {Command, Name}));
  size_t Used = 0;
  float V = 0;
  try {
    V = std::stof(W[I], &Used);
  } catch (...) {
    Used = 0;
  }
  if (Used != W[I].size() || !std::isfinite(V)) throw Exception(Format("%s: invalid %s: %s", {Command, Name, W[I]}));
  return V;
}

// The point of words I and I + 1. X is read first, so that a command missing both names X: the
// arguments of one constructor call are read in an order each compiler chooses.
TPointF Point(const std::string& Command, const std::vector<std::string>& W, size_t I, const char* XName,
              const char* YName) {
  const float X = Number(Command, W, I, XName);
  return TPointF(X, Number(Command, W, I + 1, YName));
}

// The words after the numbers: a button (where one may be named) and the modifiers.
struct TOptions {
  TMouseButton Button = mbLeft;
  TShiftState Modifiers;
};

TOptions Options(const std::string& Command, const std::vector<std::string>& W, size_t From, bool WithButton) {
  TOptions O;
  for (size_t I = From; I < W.size(); ++I) {
    if (WithButton && Lower(W[I], "left"))
      O.Button = mbLeft;
    else if (WithButton && Lower(W[I], "right"))
      O.Button = mbRight;
    else if (WithButton && Lower(W[I], "middle"))
      O.Button = mbMiddle;
    else if (Lower(W[I], "shift"))
      O.Modifiers.Include(ssShift);
    else if (Lower(W[I], "ctrl"))
      O.Modifiers.Include(ssCtrl);
    else if (Lower(W[I], "alt"))
      O.Modifiers.Include(ssAlt);
    else if (WithButton && Lower(W[I], "double"))
      // The second press of a double click, as recordings write it.
      O.Modifiers.Include(ssDouble);
    else
      throw Exception(Format(WithButton ? "%s: not a button or a modifier: %s" : "%s: not a modifier: %s", {Command, W[I]}));
  }
  return O;
}

void Post(TPlatformWindow& Window, std::function<void(TPlatform&, TPlatformWindow&)> Proc) {
  TPlatform& P = *TPlatform::Current();
  P.PostWindowMessage(Window, [&P, Proc = std::move(Proc)](TPlatformWindow& W) { Proc(P, W); });
}

// Key and character of Name (a key's name or code, see KeyNames.h) with the modifiers Shift, as
// a keyboard (through SDL) gives them; false for a name no key has.
bool KeyOf(const std::string& Name, TShiftState Shift, uint16_t& Key, char32_t& Char) {
  Char = 0;
  if (!KeyFromName(Name, Key) || Key == 0) return false;
  if (Shift.Contains(ssCtrl)) return true;
  const bool Upper = Shift.Contains(ssShift);
  if (Key == vkSpace)
    Char = U' ';
  else if (Key >= 'A' && Key <= 'Z')
    Char = static_cast<char32_t>(Upper ? Key : Key - 'A' + 'a');
  else if (Key >= '0' && Key <= '9')
    // The shifted digits of the US layout.
    Char = static_cast<char32_t>(Upper ? ")!@#$%^&*("[Key - '0'] : Key);
  return true;
}
}  // namespace

TShiftState THeadlessInput::MouseState(TShiftState Modifiers) const {
  for (TMouseButton B : {mbLeft, mbRight, mbMiddle})
    if (FHeld[B]) Modifiers.Include(ButtonFlag(B));
  return Modifiers;
}

void THeadlessInput::Move(TPlatformWindow& Window, const TPointF& P, TShiftState Modifiers) {
  FMouse = P;
  FMouseKnown = true;
  const float S = Window.Scale();
  const TShiftState Shift = MouseState(Modifiers);
  Post(Window, [Shift, X = P.X * S, Y = P.Y * S](TPlatform& Pl, TPlatformWindow& W) { Pl.WindowMouseMove(W, Shift, X, Y); });
}

void THeadlessInput::MoveTo(TPlatformWindow& Window, const TPointF& P, TShiftState Modifiers) {
  if (!FMouseKnown || !(FMouse == P)) Move(Window, P, Modifiers);
}

void THeadlessInput::Down(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, const TPointF& P) {
  MoveTo(Window, P, Shift * TShiftState{ssShift, ssCtrl, ssAlt});
  FHeld[Button] = true;
  // As SDL reports it: the state after the press, the pressed button included.
  Shift = MouseState(Shift);
  const float S = Window.Scale();
  Post(Window, [Button, Shift, X = P.X * S, Y = P.Y * S](TPlatform& Pl, TPlatformWindow& W) {
    Pl.WindowMouseDown(W, Button, Shift, X, Y);
  });
}

void THeadlessInput::Up(TPlatformWindow& Window, TMouseButton Button, TShiftState Modifiers, const TPointF& P) {
  MoveTo(Window, P, Modifiers);
  FHeld[Button] = false;
  const TShiftState Shift = MouseState(Modifiers);
  const float S = Window.Scale();
  Post(Window, [Button, Shift, X = P.X * S, Y = P.Y * S](TPlatform& Pl, TPlatformWindow& W) {
    Pl.WindowMouseUp(W, Button, Shift, X, Y);
  });
}

void THeadlessInput::Key(TPlatformWindow& Window, const std::string& Text) {
  TShiftState Shift;
  std::string Name = Text;
  for (bool More = true; More;) {
    More = false;
    for (auto [Prefix, Flag] : {std::pair{"shift+", ssShift}, std::pair{"ctrl+", ssCtrl}, std::pair{"alt+", ssAlt}}) {
      const size_t N = std::char_traits<char>::length(Prefix);
      if (Name.size() > N && SameText(Name.substr(0, N), Prefix)) {
        Shift.Include(Flag);
        Name.erase(0, N);
        More = true;
      }
    }
  }
  uint16_t Code = 0;
  char32_t Char = 0;
  if (Name.empty() || !KeyOf(Name, Shift, Code, Char)) throw Exception(Format("Unknown key name: %s", {Text}));
  Post(Window, [Code, Char, Shift](TPlatform& P, TPlatformWindow& W) { P.WindowKeyDown(W, Code, Char, Shift); });
  Post(Window, [Code, Shift](TPlatform& P, TPlatformWindow& W) { P.WindowKeyUp(W, Code, 0, Shift); });
}

void THeadlessInput::Type(TPlatformWindow& Window, const std::string& Text) {
  // Characters without keys, as SDL's text input delivers them.
  for (size_t I = 0; I < Text.size();) {
    const auto Lead = static_cast<unsigned char>(Text[I]);
    size_t Length = Lead < 0x80 ? 1 : StreamEncoding::Utf8SequenceLength(Text, I);
    char32_t C = 0xFFFD;
    if (Length == 0) {
      Length = 1;
    } else if (Length == 1) {
      C = Lead;
    } else {
      C = Lead & (0x7F >> Length);
      for (size_t K = 1; K < Length; ++K) C = (C << 6) | (static_cast<unsigned char>(Text[I + K]) & 0x3F);
    }
    I += Length;
    Post(Window, [C](TPlatform& P, TPlatformWindow& W) { P.WindowKeyDown(W, 0, C, {}); });
  }
}

bool THeadlessInput::IsCommand(const std::string& Command) {
  for (const char* C : {"mousedown", "mousemove", "mouseup", "click", "dblclick", "drag", "wheel", "key", "type"})
    if (Command == C) return true;
  return false;
}

void THeadlessInput::Run(TPlatformWindow& Window, const std::string& Command, const std::string& Rest) {
  const std::vector<std::string> W = Words(Rest);
  if (Command == "mousedown" || Command == "mouseup" || Command == "click" || Command == "dblclick" ||
      Command == "mousemove") {
    const TPointF P = Point(Command, W, 0, "coordinate X", "coordinate Y");
    const TOptions O = Options(Command, W, 2, Command != "mousemove");
    if (Command == "mousemove") {
      Move(Window, P, O.Modifiers);
    } else if (Command == "mousedown") {
      Down(Window, O.Button, O.Modifiers, P);
    } else if (Command == "mouseup") {
      Up(Window, O.Button, O.Modifiers, P);
    } else {
      Down(Window, O.Button, O.Modifiers, P);
      Up(Window, O.Button, O.Modifiers, P);
      if (Command == "dblclick") {
        Down(Window, O.Button, O.Modifiers + TShiftState{ssDouble}, P);
        Up(Window, O.Button, O.Modifiers, P);
      }
    }
    return;
  }
  if (Command == "drag") {
    const TPointF From = Point(Command, W, 0, "coordinate X1", "coordinate Y1");
    const TPointF To = Point(Command, W, 2, "coordinate X2", "coordinate Y2");
    const TOptions O = Options(Command, W, 4, false);
    Down(Window, mbLeft, O.Modifiers, From);
    // Steps of at most 10 pixels, the last one landing on the end point.
    const double Dx = To.X - From.X, Dy = To.Y - From.Y;
    const int Steps = std::max(1, static_cast<int>(std::ceil(std::hypot(Dx, Dy) / 10)));
    for (int I = 1; I < Steps; ++I)
      Move(Window, TPointF(static_cast<float>(From.X + Dx * I / Steps), static_cast<float>(From.Y + Dy * I / Steps)),
           O.Modifiers);
    Move(Window, To, O.Modifiers);
    Up(Window, mbLeft, O.Modifiers, To);
    return;
  }
  if (Command == "wheel") {
    const TPointF P = Point(Command, W, 0, "coordinate X", "coordinate Y");
    const float Delta = Number(Command, W, 2, "DELTA");
    if (Delta != std::trunc(Delta) || std::fabs(Delta) > 1e9f) throw Exception(Format("wheel: invalid DELTA: %s", {W[2]}));
    const TOptions O = Options(Command, W, 3, false);
    MoveTo(Window, P, O.Modifiers);
    const auto D = static_cast<int>(Delta);
    const TShiftState Shift = O.Modifiers;
    Post(Window, [Shift, D](TPlatform& Pl, TPlatformWindow& Win) { Pl.WindowMouseWheel(Win, Shift, D); });
    return;
  }
  if (Command == "key") {
    if (W.size() != 1) throw Exception("key takes one key name, e.g. shift+Tab");
    Key(Window, W[0]);
    return;
  }
  if (Rest.empty()) throw Exception("type takes a text");
  Type(Window, Rest);
}
