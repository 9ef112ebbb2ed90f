// The one writer every output goes through: what it keeps of the target (its permissions, the
// link that names it), what it leaves behind when a write fails or the writer is killed, and
// what a failure says.

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "host/headless/atomic_file.h"

namespace {

namespace fs = std::filesystem;

class AtomicFile : public ::testing::Test {
protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tessarin-atomic-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  static bool Write(const fs::path& path, const std::string& text, std::string* error = nullptr) {
    std::string why;
    const bool ok = WriteFileAtomically(
        path.string(), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()), why);
    if (error) *error = why;
    return ok;
  }
  static std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  static mode_t Mode(const fs::path& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
  }
  // Names in the folder, sorted.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path dir_;
};

TEST_F(AtomicFile, KeepsTheTargetsPermissions) {
  struct Case {
    const char* name;
    int existing;  // mode of the file written over, -1 for none
    mode_t expected;
  };
  const mode_t mask = ::umask(022);
  const Case cases[] = {
      {"private file stays private", 0600, 0600},
      {"group-readable file", 0640, 0640},
      {"read-only file", 0444, 0444},
      {"executable file", 0755, 0755},
      {"new file: 0666 less the umask", -1, 0644},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path target = dir_ / "out.bin";
    fs::remove(target);
    if (c.existing >= 0) {
      std::ofstream(target) << "old";
      ::chmod(target.c_str(), mode_t(c.existing));
    }
    std::string error;
    ASSERT_TRUE(Write(target, "new", &error)) << error;
    EXPECT_EQ(Text(target), "new");
    EXPECT_EQ(Mode(target), c.expected);
  }
  ::umask(mask);
}

TEST_F(AtomicFile, WritesThroughSymbolicLinks) {
  struct Case {
    const char* name;
    std::function<fs::path(const fs::path& dir)> arrange;  // returns the path written
    const char* real;                                       // the file that must hold the text
  };
  const Case cases[] = {
      {"link to a file",
       [](const fs::path& d) {
         std::ofstream(d / "real.glb") << "old";
         fs::create_symlink("real.glb", d / "link.glb");
         return d / "link.glb";
       },
       "real.glb"},
      {"chain of links",
       [](const fs::path& d) {
         std::ofstream(d / "real.glb") << "old";
         fs::create_symlink("real.glb", d / "middle.glb");
         fs::create_symlink(d / "middle.glb", d / "link.glb");  // absolute
         return d / "link.glb";
       },
       "real.glb"},
      {"link into another folder",
       [](const fs::path& d) {
         fs::create_directory(d / "sub");
         std::ofstream(d / "sub/real.glb") << "old";
         fs::create_symlink("sub/real.glb", d / "link.glb");
         return d / "link.glb";
       },
       "sub/real.glb"},
      {"link to nothing yet",
       [](const fs::path& d) {
         fs::create_symlink("real.glb", d / "link.glb");
         return d / "link.glb";
       },
       "real.glb"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    const fs::path written = c.arrange(dir_);
    std::string error;
    ASSERT_TRUE(Write(written, "new", &error)) << error;
    EXPECT_TRUE(fs::is_symlink(written)) << "the link stays a link";
    EXPECT_EQ(Text(dir_ / c.real), "new");
    for (const std::string& name : Entries()) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
  }
}

TEST_F(AtomicFile, ALinkLoopIsRefusedWithTheSystemsReason) {
  fs::create_symlink("b", dir_ / "a");
  fs::create_symlink("a", dir_ / "b");
  std::string error;
  EXPECT_FALSE(Write(dir_ / "a", "x", &error));
  EXPECT_NE(error.find("Too many levels of symbolic links"), std::string::npos) << error;
}

TEST_F(AtomicFile, ATemporaryLeftByAKilledWriterIsTakenOver) {
  const fs::path target = dir_ / "scene.glb";
  std::ofstream(target) << "complete old file";
  // A writer killed half-way through its content.
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string why;
    WriteStreamAtomically(
        target.string(),
        [](std::ostream& out, std::string&) {
          out << std::string(100000, 'x');
          out.flush();
          ::raise(SIGKILL);
          return true;
        },
        why);
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(Text(target), "complete old file");
  ASSERT_EQ(Entries(), (std::vector<std::string>{".scene.glb.tmp", "scene.glb"})) << "what the killed writer left";

  std::string error;
  ASSERT_TRUE(Write(target, "new", &error)) << error;
  EXPECT_EQ(Text(target), "new");
  EXPECT_EQ(Entries(), (std::vector<std::string>{"scene.glb"}));
}

TEST_F(AtomicFile, ATemporaryInUseByAnotherWriterIsLeftAlone) {
  const fs::path target = dir_ / "scene.glb";
  const fs::path busy = dir_ / ".scene.glb.tmp";
  const int other = ::open(busy.c_str(), O_RDWR | O_CREAT, 0600);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::write(other, "theirs", 6), 6);
  ASSERT_EQ(::flock(other, LOCK_EX | LOCK_NB), 0);
  std::string error;
  EXPECT_TRUE(Write(target, "mine", &error)) << error;
  EXPECT_EQ(Text(target), "mine");
  EXPECT_EQ(Text(busy), "theirs");
  EXPECT_EQ(Entries(), (std::vector<std::string>{".scene.glb.tmp", "scene.glb"}));
  ::close(other);
}

TEST_F(AtomicFile, AFailedWriteKeepsTheOldFileSaysWhyAndLeavesNothing) {
  struct Case {
    const char* name;
    const char* reason;  // in the error
    std::function<bool(const fs::path& target, std::string& error)> write;
  };
  // The file system refuses the content half-way: the size limit lies inside the new file.
  auto limited = [](const std::function<bool()>& write) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    const rlim_t before = limit.rlim_cur;
    limit.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &limit);
    const bool ok = write();
    limit.rlim_cur = before;
    setrlimit(RLIMIT_FSIZE, &limit);
    return ok;
  };
  const std::string big(100000, 'n');
  const Case cases[] = {
      {"bytes over the size limit", "File too large",
       [&](const fs::path& t, std::string& e) { return limited([&] { return Write(t, big, &e); }); }},
      {"stream over the size limit", "File too large",
       [&](const fs::path& t, std::string& e) {
         return limited([&] {
           return WriteStreamAtomically(
               t.string(),
               [&](std::ostream& out, std::string&) {
                 for (int i = 0; i < 100 && out; ++i) out << big;
                 return true;
               },
               e);
         });
       }},
      {"content that cannot be made", "no model",
       [&](const fs::path& t, std::string& e) {
         return WriteStreamAtomically(
             t.string(),
             [&](std::ostream& out, std::string& why) {
               out << "half";
               why = "no model";
               return false;
             },
             e);
       }},
      {"target is a folder", "Is a directory",
       [&](const fs::path&, std::string& e) {
         fs::create_directory(fs::path(dir_) / "folder");
         return Write(dir_ / "folder", "x", &e);
       }},
      {"folder missing", "No such file or directory",
       [&](const fs::path&, std::string& e) { return Write(dir_ / "missing" / "out.glb", "x", &e); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path target = dir_ / "out.glb";
    std::ofstream(target) << "old";
    std::string error;
    EXPECT_FALSE(c.write(target, error));
    EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    EXPECT_EQ(Text(target), "old");
    for (const std::string& name : Entries()) EXPECT_TRUE(name == "out.glb" || name == "folder") << name;
    fs::remove_all(dir_ / "folder");
  }
}

TEST_F(AtomicFile, AStreamWriteOfManyPiecesArrivesWhole) {
  const fs::path target = dir_ / "frames.obj";
  std::string expected;
  std::string error;
  ASSERT_TRUE(WriteStreamAtomically(
      target.string(),
      [&](std::ostream& out, std::string&) {
        // Small pieces, single characters and pieces larger than the stream's buffer.
        for (int i = 0; i < 20000; ++i) {
          const std::string piece = "v " + std::to_string(i) + "\n";
          out << piece << (i % 7 == 0 ? "#" : "");
          expected += piece + (i % 7 == 0 ? "#" : "");
        }
        const std::string large(200000, 'q');
        out.write(large.data(), std::streamsize(large.size()));
        out.put('!');
        expected += large + "!";
        return true;
      },
      error))
      << error;
  EXPECT_EQ(Text(target), expected);
}

}  // namespace
