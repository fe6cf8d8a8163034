#include "tools/form/Preview.h"

#include <iostream>

#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "tools/form/FileWatch.h"
#include "shell/stream/Resources.h"
#include "tools/form/FormFile.h"

TFormPreview::TFormPreview(std::string Path) : FPath(std::move(Path)) {}

TFormPreview::~TFormPreview() {
  if (FTimer == 0) return;
  if (auto* Timers = TPlatformServices::Current().Find<ITimerService>()) Timers->DestroyTimer(FTimer);
}

std::string TFormPreview::ErrorTitle(const std::exception& E) const {
  const size_t Slash = FPath.rfind('/');
  const std::string Message = FileErrorMessage(FPath, E);
  return Slash == std::string::npos ? Message : Message.substr(Slash + 1);
}

void TFormPreview::Register() {
  const TFormFile File = ReadFormFile(FPath);
  Store(File);
  Application->CreateForm(*File.Class, [](TComponent*) {});
}

void TFormPreview::Store(const TFormFile& File) {
  // A file saved with another form class no longer describes the previous class: its
  // description goes, else a derived class would read it first as its ancestor's.
  const std::string& Class = File.Class->Name();
  if (!FStoredClass.empty() && !SameText(FStoredClass, Class)) RemoveResource(FStoredClass, RT_RCDATA);
  StoreFormDescription(File);
  FStoredClass = Class;
}

void TFormPreview::Watch(int32_t Interval) {
  FWatch = std::make_unique<TFileWatch>(FPath);
  TPlatformServices::Current().Get<IApplicationService>().PostCall([this] { Reload(); });
  FTimer = TPlatformServices::Current().Get<ITimerService>().CreateTimer(Interval, TTimerProc(this, &TFormPreview::Tick));
}

void TFormPreview::Tick() {
  if (FWatch && FWatch->Changed()) Reload();
}

void TFormPreview::Reload() {
  TCommonCustomForm* Old = Application->MainForm();
  TCommonCustomForm* New = nullptr;
  std::string Error;
  // The old form gives up its name meanwhile, so that the new one loads under its stored name
  // (forms' names are unique) and the loader's messages name it so.
  const std::string OldName = Old ? Old->Name() : std::string();
  if (Old) Old->SetName("");
  try {
    const TFormFile File = ReadFormFile(FPath);
    Store(File);
    Application->CreateForm(*File.Class, [&New](TComponent* C) { New = dynamic_cast<TCommonCustomForm*>(C); });
  } catch (const std::exception& E) {
    Error = ErrorTitle(E);
    // The terminal the previewer runs from hears of it too, with the whole path.
    std::cerr << FileErrorMessage(FPath, E) << std::endl;
    New = nullptr;
  }
  if (!New) {
    if (Old) {
      Old->SetName(OldName);
      Old->SetCaption(Error);
      return;
    }
    New = NewForm<TForm>(Application, TCreateNew{});
    New->SetCaption(Error);
  }
  if (Old) {
    // Where the old window is, the new one appears.
    New->SetPosition(TFormPosition::Designed);
    New->SetBounds(Old->Left(), Old->Top(), New->Width(), New->Height());
  }
  Application->SetMainForm(New);
  New->SetVisible(true);
  if (Old) Old->Free();
}
