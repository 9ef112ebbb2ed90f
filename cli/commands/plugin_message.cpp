#include "cli/commands/plugin_message.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

std::string OneLineMessage(const std::string& caption, const std::string& body) {
  std::string line;
  bool gap = false;
  for (char c : body) {
    if (c == '\r' || c == '\n') {
      gap = !line.empty();
      continue;
    }
    if (gap) line += ' ';
    gap = false;
    line += c;
  }
  return caption.empty() || caption == " " ? line : caption + ": " + line;
}

std::string OpenFailureReason(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::strerror(errno);
  struct stat st {};
  std::string reason;
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) reason = std::strerror(EISDIR);
  char byte = 0;
  if (reason.empty() && ::read(fd, &byte, 1) < 0) reason = std::strerror(errno);
  ::close(fd);
  return reason;
}
