#include "host/headless/shell_service.h"

#include <spawn.h>
#include <sys/wait.h>

#include "host/headless/utf8_text.h"

extern char** environ;

namespace {

// ShellExecuteW's results: above 32 success, 2 "file not found".
constexpr UINT_PTR kLaunched = 42;
constexpr UINT_PTR kNotFound = 2;

}  // namespace

bool ShellService::Open(const ShellRequest& request) {
  requests_.push_back(request);
  return opener_ ? opener_(request) : true;
}

void ShellService::Reset() {
  opener_ = nullptr;
  requests_.clear();
}

ShellService& TheShellService() {
  static ShellService service;
  return service;
}

HINSTANCE ShellExecuteW(HWND owner, const wchar_t* operation, const wchar_t* file, const wchar_t* parameters,
                        const wchar_t* directory, int showCommand) {
  if (!file) return reinterpret_cast<HINSTANCE>(kNotFound);
  ShellRequest r;
  r.owner = owner;
  r.hasOperation = operation != nullptr;
  if (operation) r.operation = operation;
  r.file = file;
  r.hasParameters = parameters != nullptr;
  if (parameters) r.parameters = parameters;
  r.hasDirectory = directory != nullptr;
  if (directory) r.directory = directory;
  r.showCommand = showCommand;
  return reinterpret_cast<HINSTANCE>(TheShellService().Open(r) ? kLaunched : kNotFound);
}

bool OpenWithDesktop(const ShellRequest& request) {
  if (request.hasOperation && request.operation != L"open") return false;
  if (request.file.empty() || request.file[0] == L'-') return false;  // never an option to the opener
  std::string file = WideToUtf8Text(request.file);
  std::string program = "xdg-open";
  char* argv[] = {program.data(), file.data(), nullptr};
  pid_t pid = 0;
  if (posix_spawnp(&pid, program.c_str(), nullptr, nullptr, argv, environ) != 0) return false;
  // xdg-open hands the file on and exits; reap it so that no zombie is left.
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
