#include "host/headless/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace {

std::string Reason(int err) { return std::strerror(err); }

// Writes everything, retrying short writes and interruptions; errno tells a failure.
bool WriteAll(int fd, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
  namespace fs = std::filesystem;
  fs::path target(path);
  fs::path dir = target.parent_path();
  std::string pattern = (dir.empty() ? fs::path(".") : dir).string() + "/." + target.filename().string() + ".XXXXXX";
  std::vector<char> temp(pattern.begin(), pattern.end());
  temp.push_back('\0');

  // A file over the size limit raises SIGXFSZ, which would end the process; the write then
  // fails with EFBIG instead.
  struct sigaction ignore{}, previous{};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGXFSZ, &ignore, &previous);

  int fd = ::mkstemp(temp.data());
  if (fd < 0) {
    int err = errno;
    sigaction(SIGXFSZ, &previous, nullptr);
    error = "cannot create a temporary file in '" + (dir.empty() ? std::string(".") : dir.string()) + "': " + Reason(err);
    return false;
  }
  std::string stage = "write";
  bool ok = WriteAll(fd, bytes.data(), bytes.size());
  if (ok) {
    stage = "flush";
    ok = ::fsync(fd) == 0;
  }
  int err = ok ? 0 : errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    err = errno;
    stage = "close";
  }
  if (ok) {
    // mkstemp makes the file private; a scene file gets the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(temp.data(), 0666 & ~mask);
    stage = "rename";
    ok = std::rename(temp.data(), path.c_str()) == 0;
    if (!ok) err = errno;
  }
  sigaction(SIGXFSZ, &previous, nullptr);
  if (!ok) {
    ::unlink(temp.data());
    error = "cannot " + stage + (stage == "rename" ? " the temporary file to '" + path + "'" : " '" + path + "'") +
            ": " + Reason(err);
    return false;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot open '" + path + "': " + Reason(errno);
    return false;
  }
  bytes.clear();
  std::uint8_t buffer[65536];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) {
    error = "cannot read '" + path + "': " + Reason(err);
    return false;
  }
  return true;
}
