#include "tools/form/FileWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "shell/core/Exceptions.h"

TFileWatch::TFileWatch(const std::string& Path) {
  const size_t Slash = Path.rfind('/');
  const std::string Folder = Slash == std::string::npos ? "." : Slash == 0 ? "/" : Path.substr(0, Slash);
  FName = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
  FDescriptor = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (FDescriptor < 0 ||
      inotify_add_watch(FDescriptor, Folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_DELETE | IN_MOVED_FROM) < 0) {
    const std::string Reason = std::strerror(errno);
    if (FDescriptor >= 0) close(FDescriptor);
    throw Exception(Format("Cannot watch %s: %s", {Path, Reason}));
  }
}

TFileWatch::~TFileWatch() { close(FDescriptor); }

TFileWatch::TChange TFileWatch::Poll() {
  TChange Last = TChange::None;
  alignas(inotify_event) char Buffer[4096];
  for (;;) {
    const ssize_t Got = read(FDescriptor, Buffer, sizeof Buffer);
    if (Got <= 0) break;
    for (ssize_t At = 0; At < Got;) {
      const auto* Event = reinterpret_cast<const inotify_event*>(Buffer + At);
      if (Event->len > 0 && FName == Event->name) {
        if (Event->mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) Last = TChange::Written;
        else if (Event->mask & IN_DELETE) Last = TChange::Deleted;
        else if (Event->mask & IN_MOVED_FROM) Last = TChange::MovedAway;
      }
      At += static_cast<ssize_t>(sizeof(inotify_event) + Event->len);
    }
  }
  return Last;
}
