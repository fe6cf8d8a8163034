#pragma once
// The command interpreter of kelvane-headless: one command per line, run between passes of
// the event loop on the headless back end.
#include <functional>
#include <iosfwd>
#include <string>

#include "scene3d/Math3D.h"
#include "tools/headless/InputCommands.h"

class THeadlessBackend;
class TComponent;
class TPlatformWindow;

class THeadlessScript {
 public:
  // Commands come from Input; results and errors go to Output.
  THeadlessScript(std::istream& Input, std::ostream& Output, THeadlessBackend& Backend);

  // Runs the next command; at the end of the input (or on quit) terminates the application.
  void Step();
  // Runs one command line; false when it failed (the error is printed).
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

  std::istream& FInput;
  std::ostream& FOutput;
  THeadlessBackend& FBackend;
  THeadlessInput FInputCommands;
  bool FAnyFailed = false;
  bool FFinished = false;
};
