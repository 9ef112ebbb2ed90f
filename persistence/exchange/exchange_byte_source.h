#pragma once
// Where the exchange reader takes its bytes from: an open file or a buffer in memory. Both know
// how many bytes are left, so that counts can be checked before tables are sized by them.

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <span>
#include <string>

class ExchangeByteSource {
public:
  virtual ~ExchangeByteSource() = default;
  // Bytes not yet read.
  virtual std::uint64_t remaining() const = 0;
  // Copies the next size bytes into out (size bytes long); false on a short read, after which
  // the contents of out are unspecified.
  virtual bool read(void* out, std::size_t size) = 0;
};

class ExchangeMemorySource final : public ExchangeByteSource {
public:
  explicit ExchangeMemorySource(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t remaining() const override { return bytes_.size() - offset_; }
  bool read(void* out, std::size_t size) override;

private:
  std::span<const std::uint8_t> bytes_;
  std::size_t offset_ = 0;
};

class ExchangeFileSource final : public ExchangeByteSource {
public:
  // Opens path (UTF-8 text) for binary reading; isOpen() tells whether that worked. Only
  // regular files are taken: their size is what bounds every count.
  explicit ExchangeFileSource(const std::string& path);
  bool isOpen() const { return open_; }
  std::uint64_t remaining() const override { return size_ - consumed_; }
  bool read(void* out, std::size_t size) override;

private:
  std::ifstream stream_;
  bool open_ = false;
  std::uint64_t size_ = 0;
  std::uint64_t consumed_ = 0;
};
