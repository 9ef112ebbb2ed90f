#pragma once
// The host's reader of chunk streams over bytes in memory (not owned; they outlive the reader).
// Every chunk header is checked against the bytes its container still holds before it is
// entered, so no read ever leaves the buffer, and a length never drives an allocation here.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "host/sdk/ioapi.h"

class ReferenceTarget;

class ChunkLoad : public ILoad {
public:
  explicit ChunkLoad(std::span<const std::uint8_t> bytes);
  ~ChunkLoad() override;

  IOResult OpenChunk() override;
  IOResult CloseChunk() override;
  USHORT CurChunkID() override;
  ULONGLONG CurChunkLength() override;
  ULONGLONG CurChunkRemaining() override;
  int CurChunkDepth() override { return static_cast<int>(open_.size()); }
  USHORT PeekNextChunkID() override;
  IOResult Read(void* buf, ULONG nbytes, ULONG* nread) override;
  IOResult ReadWStringChunk(MSTR& str) override;
  void* GetAddr(int imaker) override;
  void RegisterPostLoadCallback(PostLoadCallback* cb) override;

  // Byte offset of the next read in the buffer.
  std::size_t Position() const { return pos_; }
  // Forgets every open chunk and opens the chunk whose header starts at offset, as the only one.
  IOResult EnterChunkAt(std::size_t offset);
  // Chunks at or below this depth cannot be closed (the host's chunks around an object's data);
  // returns the previous floor.
  int SetFloor(int depth);

  // What GetAddr answers: index i is addresses[i].
  void SetAddresses(std::vector<ReferenceTarget*> addresses) { addresses_ = std::move(addresses); }
  // Runs the registered callbacks by priority (ties in registration order), including ones
  // registered while they run, then deletes them.
  void RunPostLoadCallbacks();
  std::size_t PendingCallbacks() const { return callbacks_.size(); }

  // Remarks about data that loaded but not in full (an old block of an unknown layout, say).
  void AddWarning(std::string text) { warnings_.push_back(std::move(text)); }
  const std::vector<std::string>& Warnings() const { return warnings_; }
  // Why the last Load failed, as its code told (empty when it did not); Take clears it.
  void SetProblem(std::string text) {
    if (problem_.empty()) problem_ = std::move(text);
  }
  std::string TakeProblem() { return std::exchange(problem_, std::string()); }

private:
  struct Open {
    USHORT id;
    std::size_t begin;  // first data byte
    std::size_t end;    // one past the last data byte
  };
  std::size_t Limit() const { return open_.empty() ? bytes_.size() : open_.back().end; }

  std::span<const std::uint8_t> bytes_;
  std::size_t pos_ = 0;
  std::vector<Open> open_;
  int floor_ = 0;
  std::vector<ReferenceTarget*> addresses_;
  std::vector<std::unique_ptr<PostLoadCallback>> callbacks_;
  std::vector<std::string> warnings_;
  std::string problem_;
};

// For the host classes' Load: the reason of a failure, and remarks about data that loaded in
// part, passed on to the loader's report when iload is the host's ChunkLoad.
void NoteLoadProblem(ILoad* iload, std::string text);
void NoteLoadWarning(ILoad* iload, std::string text);
