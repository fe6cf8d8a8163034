#pragma once
// The command interpreter of kelvane-headless: one command per line, run between passes of
// the event loop, on the headless back end (virtual time) or played in a real window (see
// Player.h). Any program built on the framework runs its own main form under it.
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

#include "scene3d/Math3D.h"
#include "shell/script/InputCommands.h"
#include "shell/script/ReplayCommands.h"
#include "shell/core/Export.h"
#include "shell/script/ScriptHost.h"

class THeadlessBackend;
class TComponent;
class TPlatformWindow;

/// A script of commands (get, set, call, advance, click, key, expect, frame, ...) run on the main
/// form, one line a step of the loop: what --headless-script and --play run, and kelvane-headless.
class KELVANE_API THeadlessScript {
 public:
  /// Commands come from Input, named Name in errors; results go to Output, errors to Errors as
  /// "NAME:LINE: MESSAGE". The first error ends the script unless KeepGoing.
  THeadlessScript(std::istream& Input, std::string Name, std::ostream& Output, std::ostream& Errors,
                  THeadlessBackend& Backend, bool KeepGoing = false);
  /// The same on another host (a real window playing the script, see Player.h).
  THeadlessScript(std::istream& Input, std::string Name, std::ostream& Output, std::ostream& Errors,
                  std::unique_ptr<TScriptHost> Host, bool KeepGoing = false);

  /// What ends the script (its end, quit, or an error that ends it); by default the
  /// application terminates.
  void SetOnEnd(std::function<void()> OnEnd) { FOnEnd = std::move(OnEnd); }
  /// Whether the script has run its "recorded" line: a recording's timers fire by its ticks.
  bool Recording() const { return FRecording; }

  /// Runs the next command; at the end of the input, on quit or after an error that ends the
  /// script, terminates the application.
  void Step();
  /// Runs one command line; false when it failed (the error is printed).
  bool Execute(const std::string& Line);
  bool AnyFailed() const { return FAnyFailed; }
  bool Finished() const { return FFinished; }

 private:
  void Run(const std::string& Command, const std::string& Rest);
  TComponent* Form() const;
  // The form's window.
  TPlatformWindow& Window() const;
  // Where the scene point P lands in the viewport's frame: pixel and depth.
  std::string Project(const TPoint3D& P) const;
  // Prints the error of the command on line Line; ends the script unless it goes on.
  void Fail(int Line, const std::string& Message);

  std::istream& FInput;
  std::string FName;
  std::ostream& FOutput;
  std::ostream& FErrors;
  bool FKeepGoing;
  // The line of the command read last, and of the advance that ran before it.
  int FLine = 0;
  int FAdvanceLine = 0;
  std::unique_ptr<TScriptHost> FHostOwned;
  TScriptHost& FHost;
  std::function<void()> FOnEnd;
  THeadlessInput FInputCommands;
  THeadlessReplay FReplayCommands;
  bool FAnyFailed = false;
  // The script is a recording (it has run its "recorded" line).
  bool FRecording = false;
  bool FFinished = false;
};
