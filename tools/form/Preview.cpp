#include "tools/form/Preview.h"

#include <iostream>

#include "shell/app/Application.h"
#include "shell/core/Exceptions.h"
#include "shell/core/PlatformServices.h"
#include "shell/forms/Form.h"
#include "shell/platform/Platform.h"
#include "shell/platform/PlatformWindow.h"
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
  if (!FWatch) return;
  const char* Gone = nullptr;
  switch (FWatch->Poll()) {
    case TFileWatch::TChange::None: return;
    case TFileWatch::TChange::Written: Reload(); return;
    case TFileWatch::TChange::Deleted: Gone = "deleted"; break;
    case TFileWatch::TChange::MovedAway: Gone = "moved away"; break;
  }
  const std::string What = std::string(": ") + Gone + ", waiting for it to come back";
  const size_t Slash = FPath.rfind('/');
  Report((Slash == std::string::npos ? FPath : FPath.substr(Slash + 1)) + What, FPath + What);
}

void TFormPreview::Report(const std::string& Title, const std::string& Message) {
  // The terminal the previewer runs from hears of it too, with the whole path.
  std::cerr << Message << std::endl;
  TCommonCustomForm* Form = Application->MainForm();
  if (!Form) {
    Form = NewForm<TForm>(Application, TCreateNew{});
    Application->SetMainForm(Form);
    Form->SetCaption(Title);
    Form->SetVisible(true);
    return;
  }
  Form->SetCaption(Title);
}

void TFormPreview::Reload() {
  TCommonCustomForm* Old = Application->MainForm();
  TCommonCustomForm* New = nullptr;
  // The old form gives up its name meanwhile, so that the new one loads under its stored name
  // (forms' names are unique) and the loader's messages name it so.
  const std::string OldName = Old ? Old->Name() : std::string();
  if (Old) Old->SetName("");
  try {
    const TFormFile File = ReadFormFile(FPath);
    Store(File);
    Application->CreateForm(*File.Class, [&New](TComponent* C) { New = dynamic_cast<TCommonCustomForm*>(C); });
  } catch (const std::exception& E) {
    if (Old) Old->SetName(OldName);
    Report(ErrorTitle(E), FileErrorMessage(FPath, E));
    return;
  }
  // The size the file stores: the window keeps the size the user gave it while that stays.
  const int32_t StoredWidth = New->ClientWidth(), StoredHeight = New->ClientHeight();
  const bool SizeKept = FStoredWidth == StoredWidth && FStoredHeight == StoredHeight;
  FStoredWidth = StoredWidth;
  FStoredHeight = StoredHeight;
  if (Old) {
    // Where the old window is, the new one appears; an empty form that only carried an error
    // has no size of the file's to keep.
    New->SetPosition(TFormPosition::Designed);
    New->SetBounds(Old->Left(), Old->Top(), New->Width(), New->Height());
    if (SizeKept) {
      New->SetClientWidth(Old->ClientWidth());
      New->SetClientHeight(Old->ClientHeight());
    }
  }
  // A save from an editor must leave the keyboard with the editor.
  TPlatformWindow* Window = Old && !Old->Active() ? TPlatform::Current()->FindWindow(New) : nullptr;
  if (Window) Window->SetActivateWhenShown(false);
  Application->SetMainForm(New);
  New->SetVisible(true);
  // Showing a form activates it; the system did not, and says so when the user turns to it.
  if (Window) New->Deactivate();
  if (Old) Old->Free();
}
