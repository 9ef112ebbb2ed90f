#include "host/headless/chunk_save.h"

#include <cstring>

#include "host/headless/utf8_text.h"

void ChunkSave::Fail(const std::string& why) {
  if (failed_) return;
  failed_ = true;
  error_ = why;
}

int ChunkSave::SetFloor(int depth) {
  int old = floor_;
  floor_ = depth;
  return old;
}

void ChunkSave::BeginChunk(USHORT id) {
  // The header goes in even after a failure so that the chunk nesting stays balanced.
  open_.push_back(bytes_.size());
  const std::uint8_t header[kHeaderSize] = {static_cast<std::uint8_t>(id & 0xFF), static_cast<std::uint8_t>(id >> 8),
                                            0, 0, 0, 0};
  if (!failed_ && bytes_.size() + kHeaderSize > limit_) Fail("the stream reached its write limit");
  bytes_.insert(bytes_.end(), header, header + kHeaderSize);
}

void ChunkSave::EndChunk() {
  if (static_cast<int>(open_.size()) <= floor_) {
    Fail("EndChunk without a matching BeginChunk");
    return;
  }
  std::size_t start = open_.back();
  open_.pop_back();
  std::size_t length = bytes_.size() - start - kHeaderSize;
  if (length > 0xFFFFFFFFu) {
    Fail("a chunk holds more than 4 GiB");
    return;
  }
  for (int i = 0; i < 4; ++i) bytes_[start + 2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
}

IOResult ChunkSave::Write(const void* buf, ULONG nbytes, ULONG* nwrit) {
  if (nwrit) *nwrit = 0;
  if (failed_) return IO_ERROR;
  if (nbytes == 0) return IO_OK;
  if (!buf) {
    Fail("a write from no buffer");
    return IO_ERROR;
  }
  if (nbytes > limit_ || bytes_.size() > limit_ - nbytes) {
    Fail("the stream reached its write limit");
    return IO_ERROR;
  }
  const auto* p = static_cast<const std::uint8_t*>(buf);
  bytes_.insert(bytes_.end(), p, p + nbytes);
  if (nwrit) *nwrit = nbytes;
  return IO_OK;
}

IOResult ChunkSave::WriteWString(const MCHAR* str) {
  std::string text = WideToUtf8Text(str ? str : L"");
  text.push_back('\0');
  if (text.size() > 0xFFFFFFFFu) {
    Fail("a string over 4 GiB");
    return IO_ERROR;
  }
  return Write(text.data(), static_cast<ULONG>(text.size()), nullptr);
}

int ChunkSave::GetRefID(void* ptr) {
  auto it = refIds_.find(ptr);
  return it == refIds_.end() ? -1 : it->second;
}
