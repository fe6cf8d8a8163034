#pragma once
// TRecorder: writes what a run of a program does as a script of kelvane-headless, so that the
// run can be replayed headless (or in the window) and checked. The platform tells it every
// message of the main form's window that it dispatches (mouse, keys, focus, size, scale, close)
// and every timer message; each becomes one line, written whole with one write as it happens,
// so that a process killed at any moment leaves a script that replays up to its last line.
//
// Timers are matched by count, not by time: the timer messages dispatched since the previous
// line are written as one "ticks MS NAME..." line (the wall-clock milliseconds that passed,
// then each timer by name in the order its messages were dispatched, NAME*N for N in a row)
// before the next input, and the replay dispatches exactly those messages, whatever its clock
// says. At the end (close, quit, a signal) come the checks: "expect-frame" with the fingerprint
// of the window's last picture, and "expect PATH VALUE" for every plain published value of the
// main form and its components that differs from the start.
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "shell/controls/InputTypes.h"

class TPlatform;
class TPlatformWindow;

class TRecorder {
 public:
  // Opens FileName for writing (truncated); raises Exception naming the file and the reason.
  explicit TRecorder(const std::string& FileName);
  ~TRecorder();
  TRecorder(const TRecorder&) = delete;
  TRecorder& operator=(const TRecorder&) = delete;

  // The loop starts: the forms exist. Writes the header, the window's scale and size, and
  // takes the values that the end checks compare with.
  void Begin(TPlatform& Platform);
  // Whether Window is the one recorded (the main form's).
  bool Records(const TPlatformWindow& Window) const;

  void MouseMove(TPlatformWindow& Window, TShiftState Shift, float X, float Y);
  void MouseDown(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y);
  void MouseUp(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, float X, float Y);
  void MouseWheel(TPlatformWindow& Window, TShiftState Shift, int WheelDelta);
  void MouseLeave(TPlatformWindow& Window);
  void KeyDown(TPlatformWindow& Window, uint16_t Key, char32_t KeyChar, TShiftState Shift);
  void KeyUp(TPlatformWindow& Window, uint16_t Key, TShiftState Shift);
  void Activated(TPlatformWindow& Window, bool Active);
  // After the platform handled a new placement or scale: a new client size or scale is
  // written.
  void SizeChanged(TPlatformWindow& Window);
  void ScaleChanged(TPlatformWindow& Window);
  // A timer message of the timer named Name is dispatched.
  void Tick(const std::string& Name);
  // The user closes Window: the checks, then the close.
  void Close(TPlatform& Platform, TPlatformWindow& Window);
  // The program ends: the checks, then quit (once).
  void End(TPlatform& Platform);

 private:
  void Line(const std::string& Text);
  // An input's line: the ticks before it, then the line; the checks no longer stand.
  void InputLine(const std::string& Text);
  // Writes the ticks gathered since the last line.
  void FlushTicks(bool Always);
  void Checks(TPlatform& Platform);
  std::string Point(const TPlatformWindow& Window, float X, float Y) const;

  std::string FFileName;
  int FFile = -1;
  bool FBegun = false;
  bool FEnded = false;
  // The checks stand for the moment after the last line.
  bool FChecked = false;
  // The platform's clock when the last line was written (ms).
  double FLast = 0;
  std::vector<std::pair<std::string, int>> FTicks;
  const TPlatformWindow* FWindow = nullptr;
  int32_t FWidth = 0, FHeight = 0;
  float FScale = 1;
  float FMouseX = 0, FMouseY = 0;
  std::map<std::string, std::string> FStartValues;
};

// A path (PATH VALUE) for every plain published value of Root and of the components it owns,
// through the persistent objects they hold (Cylinder1.Position.X). Root's outer bounds (Left,
// Top, Width, Height) are left out: the window manager places the window and sizes its frame;
// its client size is the program's.
std::map<std::string, std::string> PublishedValues(class TComponent* Root);

// Reads --record FILE (or --record=FILE) from the process's command line and, when given,
// records this run into FILE; a file that cannot be written ends the process with a message on
// standard error, before any window opens. Called by the start-up of the SDL platform.
void StartRecordingFromCommandLine();
