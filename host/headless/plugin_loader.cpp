#include "host/headless/plugin_loader.h"

#include <dlfcn.h>

#include <filesystem>
#include <sstream>

#include "host/headless/headless_host.h"

namespace {

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

// Closes the library unless released (a load that fails part-way).
struct LibraryGuard {
  void* library = nullptr;
  ~LibraryGuard() {
    if (library) dlclose(library);
  }
};

template <class Fn>
Fn FindEntry(void* library, const char* name) {
  return reinterpret_cast<Fn>(dlsym(library, name));
}

std::string Hex(ULONG v) {
  std::ostringstream s;
  s << "0x" << std::hex << std::uppercase << v;
  return s.str();
}

}  // namespace

std::unique_ptr<PluginModule> PluginModule::Load(const std::string& path, std::string* error) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    SetError(error, path + ": no such plug-in module");
    return nullptr;
  }
  // The library stays mapped until the process ends, even after it is unloaded: objects of the
  // module still alive somewhere keep their code, and the runtime libraries it brought in (the
  // OpenMP runtime) keep their data until their own clean-up at exit.
  LibraryGuard guard{dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE)};
  if (!guard.library) {
    const char* why = dlerror();
    SetError(error, path + ": cannot be loaded: " + (why ? why : "unknown reason"));
    return nullptr;
  }

  auto version = FindEntry<LibVersionFn>(guard.library, "LibVersion");
  auto numberClasses = FindEntry<LibNumberClassesFn>(guard.library, "LibNumberClasses");
  auto classDesc = FindEntry<LibClassDescFn>(guard.library, "LibClassDesc");
  auto description = FindEntry<LibDescriptionFn>(guard.library, "LibDescription");
  auto initialize = FindEntry<LibInitializeFn>(guard.library, "LibInitialize");
  auto shutdown = FindEntry<LibShutdownFn>(guard.library, "LibShutdown");
  const std::pair<const char*, bool> entries[] = {
      {"LibDescription", description != nullptr}, {"LibNumberClasses", numberClasses != nullptr},
      {"LibClassDesc", classDesc != nullptr},     {"LibVersion", version != nullptr},
      {"LibInitialize", initialize != nullptr},   {"LibShutdown", shutdown != nullptr},
  };
  for (const auto& [name, found] : entries) {
    if (!found) {
      SetError(error, path + ": not a plug-in module: entry point " + name + " is missing");
      return nullptr;
    }
  }

  std::unique_ptr<PluginModule> module(new PluginModule());
  module->path_ = path;
  module->numberClasses_ = numberClasses;
  module->classDesc_ = classDesc;
  module->shutdown_ = shutdown;

  // The SDK revision may differ; release and API number must be the host's.
  module->version_ = version();
  if ((module->version_ >> 8) != (VERSION_3DSMAX >> 8)) {
    SetError(error, path + ": built for SDK version " + Hex(module->version_) + ", the host is " +
                        Hex(VERSION_3DSMAX));
    return nullptr;
  }
  int count = numberClasses();
  if (count < 0) {
    SetError(error, path + ": reports " + std::to_string(count) + " classes");
    return nullptr;
  }
  for (int i = 0; i < count; ++i) {
    ClassDesc* cd = classDesc(i);
    if (!cd) {
      SetError(error, path + ": class descriptor " + std::to_string(i) + " is missing");
      return nullptr;
    }
    module->classes_.push_back(cd);
  }
  const MCHAR* text = description();
  module->description_ = text ? text : L"";
  if (!initialize()) {
    SetError(error, path + ": LibInitialize failed");
    shutdown();
    return nullptr;
  }

  for (ClassDesc* cd : module->classes_) TheHost().RegisterClass(cd);
  module->library_ = guard.library;
  guard.library = nullptr;
  return module;
}

PluginModule::~PluginModule() {
  if (!library_) return;
  shutdown_();
  for (ClassDesc* cd : classes_) TheHost().UnregisterClass(cd);
  dlclose(library_);
}

std::string ModulePathNextToExecutable(const std::string& fileName) {
  std::error_code ec;
  std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec || exe.empty()) return {};
  return (exe.parent_path() / fileName).string();
}
