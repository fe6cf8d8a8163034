#include "shell/core/FileOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "shell/core/Exceptions.h"

namespace {
[[noreturn]] void RaiseCannotWrite(const std::string& What, int Error) {
  throw EStreamError(Format("Cannot write %s: %s", {What, std::strerror(Error)}));
}
}  // namespace

void WriteFileBytes(const std::string& Path, const void* Data, size_t Size) {
  const int File = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (File < 0) RaiseCannotWrite(Path, errno);
  const auto* Bytes = static_cast<const char*>(Data);
  while (Size > 0) {
    const ssize_t Done = ::write(File, Bytes, Size);
    if (Done < 0 && errno == EINTR) continue;
    if (Done <= 0) {
      // A device that takes nothing and reports nothing is full all the same.
      const int Error = Done < 0 ? errno : ENOSPC;
      ::close(File);
      RaiseCannotWrite(Path, Error);
    }
    Bytes += Done;
    Size -= static_cast<size_t>(Done);
  }
  // A file system may report only at the close that it could not keep the data.
  if (::close(File) != 0 && errno != EINTR) RaiseCannotWrite(Path, errno);
}

void CloseStandardOutput() {
  errno = 0;
  const bool Flushed = std::fflush(stdout) == 0 && !std::ferror(stdout);
  int Error = errno;
  if (!Flushed) {
    // A write that failed before this flush dropped its bytes and left only the error flag;
    // the output is incomplete already, so one more byte asks the system why.
    if (Error == 0 && ::write(STDOUT_FILENO, "\n", 1) < 0) Error = errno;
    std::fclose(stdout);
    RaiseCannotWrite("standard output", Error ? Error : EIO);
  }
  // Standard output closed before the program began, with nothing written to it, is no loss.
  if (std::fclose(stdout) != 0 && errno != EBADF && errno != EINTR) RaiseCannotWrite("standard output", errno);
}
