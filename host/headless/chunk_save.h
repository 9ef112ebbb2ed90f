#pragma once
// The host's writer of chunk streams: everything goes to a buffer in memory, chunk lengths are
// filled in as chunks close. The first failure (a failed write, an unbalanced EndChunk, a chunk
// over 4 GiB) sticks: later writes fail too and Failed() tells the caller.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "host/sdk/ioapi.h"

class ChunkSave : public ISave {
public:
  static constexpr std::size_t kHeaderSize = 6;  // u16 id, u32 data length

  void BeginChunk(USHORT id) override;
  void EndChunk() override;
  int CurChunkDepth() override { return static_cast<int>(open_.size()); }
  IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) override;
  IOResult WriteWString(const MCHAR* str) override;
  int GetRefID(void* ptr) override;

  // The index GetRefID answers for ptr.
  void SetRefID(void* ptr, int id) { refIds_[ptr] = id; }
  // Makes every write fail once the stream would exceed limit bytes (tests of failed saves).
  void SetWriteLimit(std::size_t limit) { limit_ = limit; }
  // Chunks at or below this depth cannot be closed by EndChunk (the host's own chunks around an
  // object's data); returns the previous floor.
  int SetFloor(int depth);

  bool Failed() const { return failed_; }
  const std::string& Error() const { return error_; }
  const std::vector<std::uint8_t>& Bytes() const { return bytes_; }
  std::vector<std::uint8_t> TakeBytes() { return std::move(bytes_); }

  // Records a failure with its reason (the first one wins).
  void Fail(const std::string& why);

private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> open_;  // offset of each open chunk's header, outermost first
  std::map<void*, int> refIds_;
  std::size_t limit_ = SIZE_MAX;
  int floor_ = 0;
  bool failed_ = false;
  std::string error_;
};
