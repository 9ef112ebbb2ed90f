#include "host/headless/chunk_load.h"

#include <algorithm>
#include <cstring>

#include "host/headless/utf8_text.h"
#include "host/sdk/ref.h"

namespace {

constexpr std::size_t kHeaderSize = 6;

}  // namespace

ChunkLoad::ChunkLoad(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

ChunkLoad::~ChunkLoad() = default;

IOResult ChunkLoad::OpenChunk() {
  const std::size_t limit = Limit();
  if (pos_ >= limit) return IO_END;
  if (limit - pos_ < kHeaderSize) return IO_ERROR;
  const std::uint8_t* h = bytes_.data() + pos_;
  USHORT id = static_cast<USHORT>(h[0] | (h[1] << 8));
  std::uint32_t length = std::uint32_t(h[2]) | (std::uint32_t(h[3]) << 8) | (std::uint32_t(h[4]) << 16) |
                         (std::uint32_t(h[5]) << 24);
  if (length > limit - pos_ - kHeaderSize) return IO_ERROR;
  std::size_t begin = pos_ + kHeaderSize;
  open_.push_back({id, begin, begin + length});
  pos_ = begin;
  return IO_OK;
}

IOResult ChunkLoad::CloseChunk() {
  if (static_cast<int>(open_.size()) <= floor_) return IO_ERROR;
  pos_ = open_.back().end;
  open_.pop_back();
  return IO_OK;
}

USHORT ChunkLoad::CurChunkID() { return open_.empty() ? 0 : open_.back().id; }

ULONGLONG ChunkLoad::CurChunkLength() { return open_.empty() ? 0 : open_.back().end - open_.back().begin; }

ULONGLONG ChunkLoad::CurChunkRemaining() { return Limit() - pos_; }

USHORT ChunkLoad::PeekNextChunkID() {
  const std::size_t limit = Limit();
  if (pos_ >= limit || limit - pos_ < kHeaderSize) return 0;
  return static_cast<USHORT>(bytes_[pos_] | (bytes_[pos_ + 1] << 8));
}

IOResult ChunkLoad::Read(void* buf, ULONG nbytes, ULONG* nread) {
  if (nread) *nread = 0;
  if (nbytes == 0) return IO_OK;
  if (!buf) return IO_ERROR;
  std::size_t n = std::min<std::size_t>(nbytes, Limit() - pos_);
  if (n > 0) std::memcpy(buf, bytes_.data() + pos_, n);
  pos_ += n;
  if (nread) *nread = static_cast<ULONG>(n);
  return n == nbytes ? IO_OK : IO_ERROR;
}

IOResult ChunkLoad::ReadWStringChunk(MSTR& str) {
  const std::size_t limit = Limit();
  std::string_view text(reinterpret_cast<const char*>(bytes_.data()) + pos_, limit - pos_);
  pos_ = limit;
  if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
  std::optional<std::wstring> wide = Utf8TextToWide(text);
  if (!wide) return IO_ERROR;
  str = std::move(*wide);
  return IO_OK;
}

void* ChunkLoad::GetAddr(int imaker) {
  if (imaker < 0 || static_cast<std::size_t>(imaker) >= addresses_.size()) return nullptr;
  return addresses_[imaker];
}

void ChunkLoad::RegisterPostLoadCallback(PostLoadCallback* cb) {
  if (cb) callbacks_.emplace_back(cb);
}

IOResult ChunkLoad::EnterChunkAt(std::size_t offset) {
  open_.clear();
  floor_ = 0;
  pos_ = std::min(offset, bytes_.size());
  return OpenChunk();
}

int ChunkLoad::SetFloor(int depth) {
  int old = floor_;
  floor_ = depth;
  return old;
}

void ChunkLoad::RunPostLoadCallbacks() {
  // Callbacks may register further ones; each round runs what was registered before it began.
  while (!callbacks_.empty()) {
    std::vector<std::unique_ptr<PostLoadCallback>> round;
    round.swap(callbacks_);
    // Stable by priority, in place: an insertion sort needs no temporary buffer.
    for (std::size_t i = 1; i < round.size(); ++i)
      for (std::size_t j = i; j > 0 && round[j]->Priority() < round[j - 1]->Priority(); --j) std::swap(round[j], round[j - 1]);
    for (auto& cb : round) cb->proc(this);
  }
}

void NoteLoadProblem(ILoad* iload, std::string text) {
  if (auto* load = dynamic_cast<ChunkLoad*>(iload)) load->SetProblem(std::move(text));
}

void NoteLoadWarning(ILoad* iload, std::string text) {
  if (auto* load = dynamic_cast<ChunkLoad*>(iload)) load->AddWarning(std::move(text));
}
