#pragma once
#include "shell/core/Export.h"
#include <cstddef>
#include <vector>

class TCommonCustomForm;

/// What forms need of the application: its main form (for placement and closing) and the end
/// of the program. The application object registers itself with the screen.
class KELVANE_API IFormApplication {
 public:
  virtual ~IFormApplication() = default;
  virtual TCommonCustomForm* GetMainForm() const = 0;
  /// Asks the program to end; whether it is ending.
  virtual bool Terminate() = 0;
};

/// TScreen: the process-wide list of forms and the active form, and the link through which
/// forms reach the application object, which sits above them.
class KELVANE_API TScreen {
 public:
  static TScreen& Current();

  int FormCount() const { return static_cast<int>(FForms.size()); }
  TCommonCustomForm* Forms(int Index) const { return FForms.at(static_cast<size_t>(Index)); }
  void AddForm(TCommonCustomForm* AForm);
  void RemoveForm(TCommonCustomForm* AForm);

  TCommonCustomForm* ActiveForm() const { return FActiveForm; }
  void SetActiveForm(TCommonCustomForm* AForm) { FActiveForm = AForm; }

  IFormApplication* Application() const { return FApplication; }
  void SetApplication(IFormApplication* Value) { FApplication = Value; }
  TCommonCustomForm* MainForm() const { return FApplication ? FApplication->GetMainForm() : nullptr; }

 private:
  std::vector<TCommonCustomForm*> FForms;
  TCommonCustomForm* FActiveForm = nullptr;
  IFormApplication* FApplication = nullptr;
};
