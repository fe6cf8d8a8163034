#pragma once
// Running a tool as a program, and a temporary folder for its files.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

struct TToolRun {
  int Status = -1;
  std::string Output;  // standard output and error, as they came (RunToolSplit: output only)
  std::string Errors;  // RunToolSplit: standard error
};

// Runs a shell command line and waits for it; its standard output is what comes back.
inline TToolRun RunCommand(const std::string& Command) {
  TToolRun R;
  FILE* Pipe = popen(Command.c_str(), "r");
  if (!Pipe) return R;
  char Buffer[4096];
  size_t Got;
  while ((Got = fread(Buffer, 1, sizeof Buffer, Pipe)) > 0) R.Output.append(Buffer, Got);
  const int Status = pclose(Pipe);
  R.Status = WIFEXITED(Status) ? WEXITSTATUS(Status) : -1;
  return R;
}

// Runs Program with Arguments (a shell command line's rest) and waits for it.
inline TToolRun RunTool(const std::string& Program, const std::string& Arguments) {
  return RunCommand(Program + " " + Arguments + " 2>&1");
}

// Runs Program with Arguments, keeping its standard output and its standard error apart.
inline TToolRun RunToolSplit(const std::string& Program, const std::string& Arguments) {
  char Name[] = "/tmp/kelvane-tool-errors-XXXXXX";
  const int Fd = mkstemp(Name);
  if (Fd < 0) return {};
  close(Fd);
  TToolRun R = RunCommand(Program + " " + Arguments + " 2>" + Name);
  if (FILE* F = std::fopen(Name, "rb")) {
    char Buffer[4096];
    size_t Got;
    while ((Got = fread(Buffer, 1, sizeof Buffer, F)) > 0) R.Errors.append(Buffer, Got);
    std::fclose(F);
  }
  std::remove(Name);
  return R;
}

// A folder of its own under /tmp, removed with everything in it at the end of the scope.
class TTempFolder {
 public:
  TTempFolder() {
    char Template[] = "/tmp/kelvane-tool-test-XXXXXX";
    const char* Made = mkdtemp(Template);
    FPath = Made ? Made : "/tmp";
  }
  ~TTempFolder() {
    if (FPath != "/tmp") std::system(("rm -rf '" + FPath + "'").c_str());
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  const std::string& Path() const { return FPath; }
  // Writes Text to the file Name in the folder; its path.
  std::string Write(const std::string& Name, const std::string& Text) const {
    const std::string File = FPath + "/" + Name;
    if (FILE* F = std::fopen(File.c_str(), "wb")) {
      std::fwrite(Text.data(), 1, Text.size(), F);
      std::fclose(F);
    }
    return File;
  }

 private:
  std::string FPath;
};
