#include "persistence/exchange/exchange_byte_source.h"

#include <cstring>
#include <filesystem>
#include <system_error>

namespace {

std::filesystem::path NativePath(const std::string& utf8) {
#ifdef _WIN32
  // Wide on the target platform: the UTF-8 text is converted, so non-ASCII paths open.
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
  return std::filesystem::path(utf8);
#endif
}

}  // namespace

bool ExchangeMemorySource::read(void* out, std::size_t size) {
  if (size > bytes_.size() - offset_) {
    offset_ = bytes_.size();
    return false;
  }
  if (size > 0) std::memcpy(out, bytes_.data() + offset_, size);
  offset_ += size;
  return true;
}

ExchangeFileSource::ExchangeFileSource(const std::string& path) {
  try {
    std::filesystem::path native = NativePath(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(native, error)) return;
    // The platform's file streams open without denying other processes access.
    stream_.open(native, std::ios::in | std::ios::binary);
    if (!stream_.is_open()) return;
    stream_.seekg(0, std::ios::end);
    std::streamoff end = stream_.tellg();
    stream_.seekg(0, std::ios::beg);
    if (end < 0 || !stream_) return;
    size_ = static_cast<std::uint64_t>(end);
    open_ = true;
  } catch (const std::exception&) {
    open_ = false;  // a path that cannot even be converted cannot be opened
  }
}

bool ExchangeFileSource::read(void* out, std::size_t size) {
  if (!open_) return false;
  if (size > remaining()) {
    consumed_ = size_;
    return false;
  }
  // One call per table: the stream hands large reads straight to the operating system.
  stream_.read(static_cast<char*>(out), static_cast<std::streamsize>(size));
  std::streamsize got = stream_.gcount();
  consumed_ += static_cast<std::uint64_t>(got);
  if (static_cast<std::size_t>(got) != size) {
    consumed_ = size_;  // the file shrank under us: nothing more can be trusted
    return false;
  }
  return true;
}
