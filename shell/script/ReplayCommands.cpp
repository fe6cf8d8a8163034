#include "shell/script/ReplayCommands.h"

#include <charconv>
#include <cmath>
#include <sstream>
#include <vector>

#include "shell/controls/KeyNames.h"
#include "shell/core/Exceptions.h"
#include "shell/forms/Form.h"
#include "shell/platform/Platform.h"
#include "shell/script/InputCommands.h"
#include "shell/script/ScriptHost.h"
#include "shell/script/PropertyPath.h"

namespace {
// The modifier words after the fixed arguments.
TShiftState Modifiers(const std::string& Command, const std::vector<std::string>& W, size_t From) {
  TShiftState Shift;
  for (size_t I = From; I < W.size(); ++I) {
    if (SameText(W[I], "shift"))
      Shift.Include(ssShift);
    else if (SameText(W[I], "ctrl"))
      Shift.Include(ssCtrl);
    else if (SameText(W[I], "alt"))
      Shift.Include(ssAlt);
    else
      throw Exception(Format("%s: not a modifier: %s", {Command, W[I]}));
  }
  return Shift;
}

uint16_t KeyCode(const std::string& Command, const std::vector<std::string>& W) {
  if (W.empty()) throw Exception(Format("%s: missing KEY", {Command}));
  uint16_t Key = 0;
  if (!KeyFromName(W[0], Key)) throw Exception(Format("%s: invalid KEY: %s", {Command, W[0]}));
  return Key;
}

char32_t KeyChar(const std::vector<std::string>& W) {
  if (W.size() < 2) throw Exception("keydown: missing CHAR");
  if (W[1] == "-") return 0;
  unsigned V = 0;
  const std::string& T = W[1];
  if (T.size() > 2 && (T[0] == 'U' || T[0] == 'u') && T[1] == '+') {
    auto [Ptr, Ec] = std::from_chars(T.data() + 2, T.data() + T.size(), V, 16);
    if (Ec == std::errc() && Ptr == T.data() + T.size() && V > 0 && V <= 0x10FFFF) return static_cast<char32_t>(V);
  }
  throw Exception(Format("keydown: invalid CHAR: %s (U+XXXX or -)", {T}));
}

void Post(TPlatformWindow& Window, std::function<void(TPlatform&, TPlatformWindow&)> Proc) {
  TPlatform& P = *TPlatform::Current();
  P.PostWindowMessage(Window, [&P, Proc = std::move(Proc)](TPlatformWindow& W) { Proc(P, W); });
}

void NoArguments(const std::string& Command, const std::string& Rest) {
  if (!Rest.empty()) throw Exception(Format("%s takes nothing", {Command}));
}
}  // namespace

bool THeadlessReplay::IsCommand(const std::string& Command) {
  for (const char* C : {"recorded", "ticks", "keydown", "keyup", "mouseleave", "activate", "deactivate", "expect",
                        "expect-frame"})
    if (Command == C) return true;
  return false;
}

void THeadlessReplay::Run(const std::string& Command, const std::string& Rest, TCommonCustomForm& Form,
                          TPlatformWindow& Window, TScriptHost& Host) {
  TPlatform& P = *TPlatform::Current();
  const std::vector<std::string> W = Words(Rest);
  if (Command == "recorded") {
    if (W.size() != 3) throw Exception("recorded takes PROGRAM VERSION FORM");
    if (W[1] != KELVANE_SCRIPT_VERSION)
      throw Exception(Format("The recording was made by %s %s; this is version %s", {W[0], W[1], KELVANE_SCRIPT_VERSION}));
    if (!SameText(W[2], Form.ClassName()))
      throw Exception(Format("The recording was made with the form %s; this form is %s", {W[2], Form.ClassName()}));
    P.StartTicksByRequest();
  } else if (Command == "ticks") {
    if (W.empty()) throw Exception("ticks takes MS and the timers' names");
    double Ms = 0;
    auto [Ptr, Ec] = std::from_chars(W[0].data(), W[0].data() + W[0].size(), Ms);
    if (Ec != std::errc() || Ptr != W[0].data() + W[0].size() || !std::isfinite(Ms) || Ms < 0)
      throw Exception(Format("ticks: invalid MS: %s", {W[0]}));
    std::vector<std::string> Ticks;
    for (size_t I = 1; I < W.size(); ++I) {
      std::string Name = W[I];
      int Count = 1;
      if (const size_t Star = Name.find('*'); Star != std::string::npos) {
        const std::string N = Name.substr(Star + 1);
        auto [End, E] = std::from_chars(N.data(), N.data() + N.size(), Count);
        if (E != std::errc() || End != N.data() + N.size() || Count < 1 || Star == 0)
          throw Exception(Format("ticks: invalid timer count: %s", {W[I]}));
        Name.resize(Star);
      }
      Ticks.insert(Ticks.end(), static_cast<size_t>(Count), Name);
    }
    Host.Ticks(Ms, Ticks);
  } else if (Command == "keydown") {
    const uint16_t Key = KeyCode(Command, W);
    const char32_t Char = KeyChar(W);
    const TShiftState Shift = Modifiers(Command, W, 2);
    Post(Window, [Key, Char, Shift](TPlatform& Pl, TPlatformWindow& Win) { Pl.WindowKeyDown(Win, Key, Char, Shift); });
  } else if (Command == "keyup") {
    const uint16_t Key = KeyCode(Command, W);
    const TShiftState Shift = Modifiers(Command, W, 1);
    Post(Window, [Key, Shift](TPlatform& Pl, TPlatformWindow& Win) { Pl.WindowKeyUp(Win, Key, 0, Shift); });
  } else if (Command == "mouseleave") {
    NoArguments(Command, Rest);
    Post(Window, [](TPlatform& Pl, TPlatformWindow& Win) { Pl.WindowMouseLeave(Win); });
  } else if (Command == "activate" || Command == "deactivate") {
    NoArguments(Command, Rest);
    const bool Active = Command == "activate";
    Post(Window, [Active](TPlatform& Pl, TPlatformWindow& Win) { Pl.WindowActivated(Win, Active); });
  } else if (Command == "expect") {
    const size_t Space = Rest.find_first_of(" \t");
    if (Space == std::string::npos) throw Exception("expect takes PATH VALUE");
    const std::string Path = Rest.substr(0, Space);
    const std::string Expected = Rest.substr(Rest.find_first_not_of(" \t", Space));
    const std::string Actual = FormatPropertyValue(&Form, ResolvePropertyPath(&Form, Path));
    if (Actual != Expected) throw Exception(Format("expect %s: the replay has %s, the recording %s", {Path, Actual, Expected}));
  } else {
    if (W.size() != 1) throw Exception("expect-frame takes a fingerprint");
    const std::string Actual = P.PresentedFingerprint(Window);
    if (Actual.empty()) throw Exception("expect-frame: the window shows nothing yet");
    if (Actual != W[0])
      throw Exception(Format("expect-frame: the replay's frame (%s x %s pixels) has the fingerprint %s, the recording %s",
                             {std::to_string(Window.ClientWidth()), std::to_string(Window.ClientHeight()), Actual, W[0]}));
  }
}
