#pragma once
// Helpers of the command-line tests: a temporary folder per test and running the built program.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace cli_test {

// A fresh folder named after the running test, removed afterwards.
class TempDir {
public:
  TempDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "_" + info->name();
    for (char& c : name)
      if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    path_ = std::filesystem::temp_directory_path() / ("tessarin-cli-" + name + "-" + std::to_string(getpid()));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name) << text;
    return path_ / name;
  }

private:
  std::filesystem::path path_;
};

inline std::string ReadText(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

struct ProgramResult {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// Runs a shell script in folder dir; $TESSARIN in it is the built program.
inline ProgramResult RunShell(const std::string& script, const std::filesystem::path& dir) {
  const std::filesystem::path errFile = dir / "stderr.txt";
  std::string command = "cd '" + dir.string() + "' && export TESSARIN='" TESSARIN_BIN_DIR "/tessarin' && (" + script +
                        ") 2>'" + errFile.string() + "'";
  ProgramResult r;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return r;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) r.out.append(buffer, n);
  int status = pclose(pipe);
  r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  r.err = ReadText(errFile);
  std::filesystem::remove(errFile);
  return r;
}

// Runs the built tessarin program with the arguments (a shell word list) in folder dir.
inline ProgramResult RunProgram(const std::string& args, const std::filesystem::path& dir) {
  return RunShell("\"$TESSARIN\" " + args, dir);
}

}  // namespace cli_test
