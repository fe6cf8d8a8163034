#pragma once
// TFormPreview: a stored form from a file, shown in the running application as start-up
// creates it: the file stands in for its class's stored description, the application creates
// the form and shows it as its main form, and the form's controls work as in a program.
//
// Watching, the form is made anew from the file each time the file changes: the new form
// takes the old one's place on the screen, and its size unless the file now stores another,
// and becomes the main form, and the old one goes. The new window is shown without being
// activated when the old one was not active, so that saving from an editor leaves the keyboard
// with the editor. A file that does not load leaves the last form standing, puts the error in
// its title, "FILE: MESSAGE" or "FILE:LINE: MESSAGE", and prints it on standard error; when no
// form has loaded yet, an empty form carries the title. A file deleted or moved away is
// reported the same way ("FILE: deleted, waiting for it to come back"), and loads again when
// a file of its name is written or moved into place.
#include <cstdint>
#include <exception>
#include <memory>
#include <string>

#include "shell/core/Object.h"

class TCommonCustomForm;
class TFileWatch;
struct TFormFile;

class TFormPreview : public TObject {
 public:
  explicit TFormPreview(std::string Path);
  ~TFormPreview() override;
  TFormPreview(const TFormPreview&) = delete;
  TFormPreview& operator=(const TFormPreview&) = delete;

  // Registers the file's form with the application, for Run to create as it creates a
  // program's forms. Raises the file's errors (unreadable, text that does not compile, a root
  // class that is no registered form class); errors of loading come from Run.
  void Register();
  // Loads the form once the loop runs, then again whenever the file changes, checking every
  // Interval milliseconds. Raises Exception when the file's folder cannot be watched.
  void Watch(int32_t Interval = 100);
  // Makes the form anew from the file now (see above). The loop must be running.
  void Reload();

  // The title that reports the error E of the file: its name, its line where known, and the
  // message.
  std::string ErrorTitle(const std::exception& E) const;

 private:
  void Tick();
  // Puts Title in the main form's title (an empty form's, when none has loaded) and Message on
  // standard error.
  void Report(const std::string& Title, const std::string& Message);
  // Makes the file its class's stored description, in place of the one stored before.
  void Store(const TFormFile& File);

  std::string FPath;
  std::unique_ptr<TFileWatch> FWatch;
  uintptr_t FTimer = 0;
  std::string FStoredClass;  // the class whose description the file last became
  // The client size the file stored at the last load that made a form (0 × 0: none yet).
  int32_t FStoredWidth = 0, FStoredHeight = 0;
};
