// tessarin: builds, evaluates and inspects skinned scenes with the headless host.

#include <CLI/CLI.hpp>
#include <iostream>
#include <string>

namespace {

// 48500 → "4.85.0": major = code / 10000, minor = (code / 100) % 100, patch = code % 100.
std::string VersionText(int code) {
  return std::to_string(code / 10000) + "." + std::to_string((code / 100) % 100) + "." + std::to_string(code % 100);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"tessarin: character skinning with the headless host"};
  app.set_version_flag("--version", VersionText(TESSARIN_VERSION_CODE));
  CLI11_PARSE(app, argc, argv);
  if (argc == 1) std::cout << app.help();
  return 0;
}
