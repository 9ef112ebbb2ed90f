#pragma once
// A clean scene with the test classes registered, and helpers for saving and loading scenes in
// memory and in a private temporary folder.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/headless/scene_file.h"
#include "scene_fixture.h"
#include "scene_test_classes.h"

class SceneFileTest : public SceneTest {
protected:
  void SetUp() override {
    SceneTest::SetUp();
    scene_test::RegisterClasses();
  }
  void TearDown() override {
    SceneTest::TearDown();
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }

  static std::vector<std::uint8_t> SaveBytes(const SceneSaveOptions* options = nullptr) {
    std::vector<std::uint8_t> bytes;
    std::string error;
    EXPECT_TRUE(SaveSceneToBytes(bytes, &error, options)) << error;
    return bytes;
  }
  static ::testing::AssertionResult Loads(const std::vector<std::uint8_t>& bytes, SceneLoadReport* report = nullptr) {
    std::string error;
    if (LoadSceneFromBytes(bytes, &error, report)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << error;
  }
  // The error of a load that must fail.
  static std::string LoadError(const std::vector<std::uint8_t>& bytes) {
    std::string error;
    EXPECT_FALSE(LoadSceneFromBytes(bytes, &error));
    EXPECT_FALSE(error.empty());
    return error;
  }

  // A folder of this test's own, removed afterwards.
  const std::filesystem::path& Dir() {
    if (dir_.empty()) {
      std::string pattern = (std::filesystem::temp_directory_path() / "scene-file-XXXXXX").string();
      if (::mkdtemp(pattern.data())) dir_ = pattern;
    }
    return dir_;
  }
  static std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

private:
  std::filesystem::path dir_;
};
