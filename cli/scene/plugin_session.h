#pragma once
// The plug-in module loaded into the headless host for the life of a command: message boxes go
// to stderr, and the scene is emptied before the module unloads (its objects must not outlive
// their code).

#include <memory>
#include <ostream>
#include <string>

class PluginModule;

class PluginSession {
public:
  // Loads the module at path, or, when path is empty, the one FindPluginModule names.
  // Null with *error set when it cannot be loaded.
  static std::unique_ptr<PluginSession> Open(std::ostream& messages, std::string* error, const std::string& path = {});
  ~PluginSession();
  PluginSession(const PluginSession&) = delete;
  PluginSession& operator=(const PluginSession&) = delete;

private:
  PluginSession() = default;
  std::unique_ptr<PluginModule> module_;
};

// The file name of the plug-in module in the build's output directory.
const char* PluginModuleFileName();

// The module every session of this process loads: the path given to SetPluginModulePath (the
// program's --module), else the module next to the running program (as the build lays them
// out), else the one in the installed module folder relative to the program. *searched (when
// given) tells the places looked at. Empty when the program's own location is unknown.
std::string FindPluginModule(std::string* searched = nullptr);
void SetPluginModulePath(const std::string& path);
