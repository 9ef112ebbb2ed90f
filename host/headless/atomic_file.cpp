#include "host/headless/atomic_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <streambuf>

namespace {

namespace fs = std::filesystem;

std::string Reason(int err) { return std::strerror(err); }

// Writes everything, retrying short writes and interruptions; errno tells a failure.
bool WriteAll(int fd, const char* data, std::size_t size) {
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

// The file that path finally names after following every symbolic link (it may not exist yet).
bool ResolveLinks(const std::string& path, fs::path& resolved, std::string& error) {
  fs::path p(path);
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      resolved = p;
      return true;
    }
    char target[PATH_MAX];
    const ssize_t n = ::readlink(p.c_str(), target, sizeof target);
    if (n < 0 || n == ssize_t(sizeof target)) {
      error = "cannot follow the link '" + p.string() + "': " + Reason(n < 0 ? errno : ENAMETOOLONG);
      return false;
    }
    const fs::path next(std::string(target, std::size_t(n)));
    p = next.is_absolute() ? next : p.parent_path() / next;
  }
  error = "cannot follow the link '" + path + "': " + Reason(ELOOP);
  return false;
}

// Permission bits for the new file: the target's own, or what a new file gets.
mode_t ModeFor(const fs::path& target) {
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// A file stays a regular file of ours under the same name: not a link, a device or another
// user's file planted where the temporary goes.
bool SameOwnedFile(int fd, const fs::path& name) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::lstat(name.c_str(), &named) == 0 && S_ISREG(open.st_mode) &&
         open.st_dev == named.st_dev && open.st_ino == named.st_ino && open.st_uid == ::geteuid();
}

// The temporary file beside the target, removed unless it was renamed over the target.
//
// It is ".NAME.tmp", locked while in use: a write killed half-way leaves it behind unlocked, and
// the next write of the same target takes it over. While another process holds it, a unique
// ".NAME.XXXXXX" is used instead.
class Temporary {
public:
  Temporary() = default;
  // Removed while still locked, so that no other writer takes it over in between.
  ~Temporary() {
    if (!path_.empty()) ::unlink(path_.c_str());
    if (fd_ >= 0) ::close(fd_);
    if (lock_ >= 0) ::close(lock_);
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  bool Create(const fs::path& dir, const std::string& name, std::string& error) {
    const fs::path shared = dir / ("." + name + ".tmp");
    for (int attempt = 0; attempt < 3; ++attempt) {
      int fd = ::open(shared.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
      if (fd < 0) break;
      // Locked and still the file of that name (a writer that held it may have renamed it
      // over its target meanwhile): ours to truncate and fill.
      if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && SameOwnedFile(fd, shared) && ::ftruncate(fd, 0) == 0) {
        fd_ = fd;
        path_ = shared;
        return HoldLock(error);
      }
      ::close(fd);
    }
    std::string pattern = (dir / ("." + name + ".XXXXXX")).string();
    std::vector<char> unique(pattern.begin(), pattern.end());
    unique.push_back('\0');
    fd_ = ::mkostemp(unique.data(), O_CLOEXEC);
    if (fd_ >= 0) ::flock(fd_, LOCK_EX | LOCK_NB);
    if (fd_ < 0) {
      error = "cannot write '" + (dir / name).string() + "': cannot create a temporary file in '" + dir.string() +
              "': " + Reason(errno);
      return false;
    }
    path_ = unique.data();
    return HoldLock(error);
  }

  int Fd() const { return fd_; }
  const fs::path& Path() const { return path_; }

  // Closes the file (the lock stays until the temporary is renamed or removed); errno tells a
  // failure.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }
  // Renamed: nothing left to remove.
  void Keep() { path_.clear(); }

private:
  // The lock belongs to the open file, which a duplicate keeps open after Close.
  bool HoldLock(std::string& error) {
    lock_ = ::dup(fd_);
    if (lock_ >= 0) return true;
    error = "cannot create a temporary file for '" + path_.string() + "': " + Reason(errno);
    return false;
  }

  int fd_ = -1;
  int lock_ = -1;
  fs::path path_;
};

// Stream output straight into a file descriptor, remembering the first failure.
class DescriptorBuffer : public std::streambuf {
public:
  explicit DescriptorBuffer(int fd) : fd_(fd) { setp(buffer_, buffer_ + sizeof buffer_); }
  int Error() const { return error_; }

protected:
  int_type overflow(int_type c) override {
    if (!Drain()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
  }
  std::streamsize xsputn(const char* s, std::streamsize n) override {
    if (n < epptr() - pptr()) {
      std::memcpy(pptr(), s, std::size_t(n));
      pbump(int(n));
      return n;
    }
    if (!Drain() || !Put(s, std::size_t(n))) return 0;
    return n;
  }
  int sync() override { return Drain() ? 0 : -1; }

private:
  bool Put(const char* s, std::size_t n) {
    if (error_) return false;
    if (!WriteAll(fd_, s, n)) {
      error_ = errno;
      return false;
    }
    return true;
  }
  bool Drain() {
    const std::size_t n = std::size_t(pptr() - pbase());
    setp(buffer_, buffer_ + sizeof buffer_);
    return Put(buffer_, n);
  }

  int fd_;
  int error_ = 0;
  char buffer_[1 << 16];
};

// Flushes the folder so that a rename in it is on the disk. File systems that cannot flush a
// folder say EINVAL; they have nothing to flush.
bool SyncFolder(const fs::path& dir, int& err) {
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) {
    err = errno;
    return false;
  }
  bool ok = ::fsync(fd) == 0 || errno == EINVAL;
  err = ok ? 0 : errno;
  ::close(fd);
  return ok;
}

// A file over the size limit raises SIGXFSZ, which would end the process; while this lives the
// write fails with EFBIG instead.
class IgnoreFileSizeSignal {
public:
  IgnoreFileSizeSignal() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigaction(SIGXFSZ, &ignore, &previous_);
  }
  ~IgnoreFileSizeSignal() { ::sigaction(SIGXFSZ, &previous_, nullptr); }
  IgnoreFileSizeSignal(const IgnoreFileSizeSignal&) = delete;
  IgnoreFileSizeSignal& operator=(const IgnoreFileSizeSignal&) = delete;

private:
  struct sigaction previous_ {};
};

using Producer = std::function<bool(int fd, int& err, std::string& why)>;

bool WriteThrough(const std::string& path, const Producer& produce, std::string& error) {
  fs::path target;
  if (!ResolveLinks(path, target, error)) return false;
  const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
  const std::string shown = "'" + path + "'";
  IgnoreFileSizeSignal guard;
  Temporary temp;
  if (!temp.Create(dir, target.filename().string(), error)) return false;

  int err = 0;
  std::string why;
  if (!produce(temp.Fd(), err, why)) {
    error = err ? "cannot write " + shown + ": " + Reason(err) : "cannot write " + shown + ": " + why;
    return false;
  }
  if (::fchmod(temp.Fd(), ModeFor(target)) != 0 || ::fsync(temp.Fd()) != 0) {
    error = "cannot flush " + shown + ": " + Reason(errno);
    return false;
  }
  if (!temp.Close()) {
    error = "cannot close " + shown + ": " + Reason(errno);
    return false;
  }
  if (std::rename(temp.Path().c_str(), target.c_str()) != 0) {
    error = "cannot rename the temporary file to " + shown + ": " + Reason(errno);
    return false;
  }
  temp.Keep();
  if (!SyncFolder(dir, err)) {
    error = "wrote " + shown + " but cannot flush its folder: " + Reason(err);
    return false;
  }
  return true;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error) {
  return WriteThrough(
      path,
      [&](int fd, int& err, std::string&) {
        if (WriteAll(fd, reinterpret_cast<const char*>(bytes.data()), bytes.size())) return true;
        err = errno;
        return false;
      },
      error);
}

bool WriteStreamAtomically(const std::string& path, const std::function<bool(std::ostream&, std::string&)>& produce,
                           std::string& error) {
  return WriteThrough(
      path,
      [&](int fd, int& err, std::string& why) {
        DescriptorBuffer buffer(fd);
        std::ostream stream(&buffer);
        const bool made = produce(stream, why);
        stream.flush();
        err = buffer.Error();
        if (err) return false;
        if (!made) return false;
        if (!stream) {
          why = "the output stream failed";
          return false;
        }
        return true;
      },
      error);
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
