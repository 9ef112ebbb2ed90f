#pragma once
// Loads plug-in modules by path, as the host application does at start-up: it opens the shared
// library, finds its six entry points, calls them in the host's order (LibVersion,
// LibNumberClasses, LibClassDesc for each index, LibDescription, LibInitialize) and registers
// the module's class descriptors with TheHost(). Plug-in objects are then created through those
// descriptors (TheHost().CreateInstance or the descriptor's Create).

#include <memory>
#include <string>
#include <vector>

#include "host/sdk/plugapi.h"

class PluginModule {
public:
  // The loaded module, or null with *error (when given) telling why: a missing file, a library
  // that cannot be opened, a missing entry point, an SDK version other than the host's, a
  // missing class descriptor or a failed LibInitialize. A failed load leaves nothing registered
  // and the library closed.
  static std::unique_ptr<PluginModule> Load(const std::string& path, std::string* error = nullptr);

  // Unloads: LibShutdown, the descriptors leave the host's class directory, the library is
  // closed. Its code stays mapped until the process ends (its static data is destroyed then).
  ~PluginModule();
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;

  const std::string& Path() const { return path_; }
  ULONG Version() const { return version_; }
  const std::wstring& Description() const { return description_; }
  // The descriptors registered, in index order.
  const std::vector<ClassDesc*>& Classes() const { return classes_; }

  // The module's own answers, asked again (for callers that check a module).
  int NumberClasses() const { return numberClasses_(); }
  ClassDesc* ClassDescAt(int i) const { return classDesc_(i); }

private:
  PluginModule() = default;

  std::string path_;
  void* library_ = nullptr;
  LibNumberClassesFn numberClasses_ = nullptr;
  LibClassDescFn classDesc_ = nullptr;
  LibShutdownFn shutdown_ = nullptr;
  ULONG version_ = 0;
  std::wstring description_;
  std::vector<ClassDesc*> classes_;
};

// The path of fileName in the directory of the running executable (where the build puts the
// plug-in module next to the programs); empty when the executable's location is unknown.
std::string ModulePathNextToExecutable(const std::string& fileName);
