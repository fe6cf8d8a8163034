#pragma once
// The input commands of kelvane-headless: the mouse and the keyboard as the SDL back end
// delivers them, through the platform's window procedure (TPlatform::WindowMouseDown and the
// others), each posted as one message of the loop. Positions are logical client coordinates
// of the form; like a real mouse, a command at another point than the mouse's last one first
// moves the mouse there.
#include <string>
#include <vector>

#include "shell/controls/InputTypes.h"
#include "shell/core/Geometry2D.h"

class TPlatformWindow;

// The words of a command's arguments, split at white space.
std::vector<std::string> Words(const std::string& Text);

/// The input commands of a script (mousedown, click, drag, wheel, key, type, ...), each posted
/// as one message of the loop to the window procedure.
class THeadlessInput {
 public:
  static bool IsCommand(const std::string& Command);
  // Runs the input command Command with its arguments Rest on Window. Raises Exception naming
  // what was wrong with the arguments.
  void Run(TPlatformWindow& Window, const std::string& Command, const std::string& Rest);

 private:
  // Posts a move to P unless the mouse is there already.
  void MoveTo(TPlatformWindow& Window, const TPointF& P, TShiftState Modifiers);
  void Move(TPlatformWindow& Window, const TPointF& P, TShiftState Modifiers);
  void Down(TPlatformWindow& Window, TMouseButton Button, TShiftState Shift, const TPointF& P);
  void Up(TPlatformWindow& Window, TMouseButton Button, TShiftState Modifiers, const TPointF& P);
  void Key(TPlatformWindow& Window, const std::string& Name);
  void Type(TPlatformWindow& Window, const std::string& Text);
  // The modifiers with the buttons held now.
  TShiftState MouseState(TShiftState Modifiers) const;

  TPointF FMouse;
  bool FMouseKnown = false;
  bool FHeld[3] = {false, false, false};
};
