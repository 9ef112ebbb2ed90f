#include "cli/scene/plugin_session.h"

#include <dlfcn.h>

#include <filesystem>

#include "host/headless/headless_host.h"
#include "host/headless/plugin_loader.h"
#include "host/headless/utf8_text.h"

namespace {

// The skin breaks lines with "\n\r"; a terminal wants "\n".
std::string PlainLines(const std::wstring& text) {
  std::string out = WideToUtf8Text(text);
  std::string clean;
  for (std::size_t i = 0; i < out.size(); ++i) {
    if (out[i] == '\r') continue;
    clean += out[i];
  }
  return clean;
}

}  // namespace

const char* PluginModuleFileName() { return TESSARIN_MODULE_FILE; }

namespace {

std::string& ChosenModulePath() {
  static std::string path;
  return path;
}

}  // namespace

void SetPluginModulePath(const std::string& path) { ChosenModulePath() = path; }

std::string FindPluginModule(std::string* searched) {
  if (!ChosenModulePath().empty()) return ChosenModulePath();
  // Next to the program in the build's output folder; in the module folder of an installed one.
  const std::string beside = ModulePathNextToExecutable(PluginModuleFileName());
  if (beside.empty()) return {};
  const std::filesystem::path installed =
      std::filesystem::path(beside).parent_path() / TESSARIN_MODULE_RELATIVE_DIR / PluginModuleFileName();
  if (searched) *searched = beside + " or " + installed.lexically_normal().string();
  std::error_code ec;
  if (std::filesystem::exists(beside, ec) || !std::filesystem::exists(installed, ec)) return beside;
  return installed.lexically_normal().string();
}

std::unique_ptr<PluginSession> PluginSession::Open(std::ostream& messages, std::string* error, const std::string& path) {
  std::string searched;
  std::string file = path.empty() ? FindPluginModule(&searched) : path;
  if (file.empty()) {
    if (error) *error = "cannot find the plug-in module " + std::string(PluginModuleFileName()) + " next to the program";
    return nullptr;
  }
  std::unique_ptr<PluginSession> session(new PluginSession());
  session->module_ = PluginModule::Load(file, error);
  if (!session->module_) {
    if (error && !searched.empty()) *error += " (looked at " + searched + "; name the module with --module PATH)";
    return nullptr;
  }
  // The module stays mapped until the process ends, as in the host application: its OpenMP
  // runtime keeps worker threads that would be left without code if unloading took the runtime
  // with it. (RTLD_NOLOAD only raises the flags of the library already loaded.)
  if (void* pinned = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE)) dlclose(pinned);
  TheHost().Messages().SetPrinter([&messages](const MessageRecord& r) {
    std::string caption = PlainLines(r.caption);
    std::string text = PlainLines(r.text);
    messages << (caption.empty() || caption == " " ? std::string() : caption + ": ") << text << '\n';
  });
  return session;
}

PluginSession::~PluginSession() {
  TheHost().ResetScene();
  TheHost().Messages().SetPrinter(nullptr);
  module_.reset();
}
