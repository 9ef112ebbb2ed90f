#pragma once
// The Khronos glTF validator run on a written file through scripts/validate_gltf.js. Tests skip
// (with the reason) when node or the validator package is not installed.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace cli_test {

struct ValidatorResult {
  bool available = false;
  std::string why;     // when not available
  bool clean = false;  // no errors and no warnings
  std::string report;  // the counts line and every error and warning
};

inline ValidatorResult ValidateGltf(const std::filesystem::path& file) {
  ValidatorResult r;
  const std::string command =
      "node '" TESSARIN_SOURCE_DIR "/scripts/validate_gltf.js' '" + file.string() + "' 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) {
    r.why = "cannot start node";
    return r;
  }
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.report.append(buffer, n);
  const int status = pclose(pipe);
  const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  if (code == 127) r.why = "node is not installed (scripts/install-deps.sh installs it with the validator)";
  else if (code == 3) r.why = "the npm package gltf-validator is not installed (scripts/install-deps.sh installs it)";
  else r.available = true;  // 2: the file could not be read, a failure like any other
  r.clean = r.available && code == 0;
  return r;
}

}  // namespace cli_test

// Validates the file, or skips the test when the validator is absent.
#define EXPECT_GLTF_VALID(file)                                                   \
  do {                                                                            \
    const ::cli_test::ValidatorResult result_ = ::cli_test::ValidateGltf(file);   \
    if (!result_.available) GTEST_SKIP() << "glTF validator: " << result_.why;    \
    EXPECT_TRUE(result_.clean) << (file) << ":\n" << result_.report;              \
  } while (0)
