// The chunk streams objects save into and load from: nesting, skipping on close, short reads,
// damaged headers, the host's own chunk around an object's data, strings and post-load work.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "host/headless/chunk_load.h"
#include "host/headless/chunk_save.h"

namespace {

std::uint32_t ReadU32(ILoad& in) {
  std::uint32_t v = 0;
  EXPECT_EQ(in.Read(&v, 4, nullptr), IO_OK);
  return v;
}

void WriteU32(ISave& out, std::uint32_t v) { EXPECT_EQ(out.Write(&v, 4, nullptr), IO_OK); }

// Chunk 0x10 { u32 1, chunk 0x11 { u32 2 }, chunk 0x12 {} }, chunk 0x20 { u32 3 }.
std::vector<std::uint8_t> Nested() {
  ChunkSave out;
  out.BeginChunk(0x10);
  WriteU32(out, 1);
  out.BeginChunk(0x11);
  WriteU32(out, 2);
  out.EndChunk();
  out.BeginChunk(0x12);
  out.EndChunk();
  out.EndChunk();
  out.BeginChunk(0x20);
  WriteU32(out, 3);
  out.EndChunk();
  EXPECT_FALSE(out.Failed());
  return out.TakeBytes();
}

}  // namespace

TEST(ChunkStream, HeadersAreIdentifierAndDataLengthLittleEndian) {
  ChunkSave out;
  out.BeginChunk(0x2750);
  WriteU32(out, 0x04030201);
  out.EndChunk();
  EXPECT_EQ(out.Bytes(), (std::vector<std::uint8_t>{0x50, 0x27, 4, 0, 0, 0, 1, 2, 3, 4}));
}

TEST(ChunkStream, NestedChunksReadBackInOrder) {
  std::vector<std::uint8_t> bytes = Nested();
  ChunkLoad in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x10);
  EXPECT_EQ(in.CurChunkLength(), 4u + 6 + 4 + 6);
  EXPECT_EQ(in.CurChunkDepth(), 1);
  EXPECT_EQ(ReadU32(in), 1u);
  EXPECT_EQ(in.PeekNextChunkID(), 0x11);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x11);
  EXPECT_EQ(ReadU32(in), 2u);
  EXPECT_EQ(in.OpenChunk(), IO_END);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x12);
  EXPECT_EQ(in.CurChunkLength(), 0u);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  EXPECT_EQ(in.OpenChunk(), IO_END);
  EXPECT_EQ(in.PeekNextChunkID(), 0);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x20);
  EXPECT_EQ(ReadU32(in), 3u);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  EXPECT_EQ(in.OpenChunk(), IO_END);
}

TEST(ChunkStream, ClosingSkipsWhatWasNotRead) {
  std::vector<std::uint8_t> bytes = Nested();
  ChunkLoad in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x20);
  EXPECT_EQ(ReadU32(in), 3u);
}

TEST(ChunkStream, ReadingPastTheChunkFailsAndStopsAtItsEnd) {
  std::vector<std::uint8_t> bytes = Nested();
  ChunkLoad in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(ReadU32(in), 1u);
  ASSERT_EQ(in.OpenChunk(), IO_OK);  // 0x10 > 0x11, holding 4 bytes
  std::uint8_t buffer[8] = {};
  ULONG got = 99;
  EXPECT_EQ(in.Read(buffer, 8, &got), IO_ERROR);
  EXPECT_EQ(got, 4u);
  EXPECT_EQ(buffer[0], 2);
  EXPECT_EQ(in.CurChunkRemaining(), 0u);
  EXPECT_EQ(in.Read(buffer, 1, &got), IO_ERROR);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(in.CloseChunk(), IO_OK);
  // The enclosing chunk goes on after the inner one.
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.CurChunkID(), 0x12);
}

TEST(ChunkStream, DamagedHeadersAreRefused) {
  struct Case {
    const char* name;
    std::vector<std::uint8_t> bytes;
  };
  const Case cases[] = {
      {"header cut short", {0x10, 0x00, 0x04}},
      {"length beyond the data", {0x10, 0x00, 0x05, 0x00, 0x00, 0x00, 1, 2, 3, 4}},
      {"length near 4 GiB", {0x10, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ChunkLoad in(c.bytes);
    EXPECT_EQ(in.OpenChunk(), IO_ERROR);
    EXPECT_EQ(in.CurChunkDepth(), 0);
  }
  // An inner chunk longer than its container is refused although the buffer holds the bytes.
  std::vector<std::uint8_t> bytes = {0x10, 0, 8, 0, 0, 0, 0x11, 0, 4, 0, 0, 0, 1, 2, 3, 4};
  ChunkLoad in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  EXPECT_EQ(in.OpenChunk(), IO_ERROR);
}

TEST(ChunkStream, TheChunkAroundAnObjectsDataCannotBeClosedByIt) {
  std::vector<std::uint8_t> bytes = Nested();
  ChunkLoad in(bytes);
  ASSERT_EQ(in.OpenChunk(), IO_OK);
  in.SetFloor(1);
  EXPECT_EQ(in.CloseChunk(), IO_ERROR);
  EXPECT_EQ(in.CurChunkDepth(), 1);

  ChunkSave out;
  out.BeginChunk(1);
  out.SetFloor(1);
  out.EndChunk();
  EXPECT_TRUE(out.Failed());
}

TEST(ChunkStream, StringsRoundTripAndBadUtf8IsRefused) {
  ChunkSave out;
  out.BeginChunk(1);
  EXPECT_EQ(out.WriteWString(L"Bone \u00e9\u4e2d\U0001F600"), IO_OK);
  out.EndChunk();
  std::vector<std::uint8_t> bytes = out.TakeBytes();
  {
    ChunkLoad in(bytes);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    MSTR s;
    EXPECT_EQ(in.ReadWStringChunk(s), IO_OK);
    EXPECT_EQ(s, L"Bone \u00e9\u4e2d\U0001F600");
  }
  const std::vector<std::vector<std::uint8_t>> bad = {
      {1, 0, 2, 0, 0, 0, 0xC0, 0x80},        // overlong zero
      {1, 0, 3, 0, 0, 0, 0xED, 0xA0, 0x80},  // a surrogate
      {1, 0, 2, 0, 0, 0, 'a', 0xE4},         // cut sequence
  };
  for (const auto& b : bad) {
    ChunkLoad in(b);
    ASSERT_EQ(in.OpenChunk(), IO_OK);
    MSTR s;
    EXPECT_EQ(in.ReadWStringChunk(s), IO_ERROR);
  }
}

TEST(ChunkStream, AFailedWriteStaysFailed) {
  ChunkSave out;
  out.SetWriteLimit(6 + 4);
  out.BeginChunk(1);
  std::uint8_t data[8] = {};
  ULONG written = 99;
  EXPECT_EQ(out.Write(data, 4, &written), IO_OK);
  EXPECT_EQ(written, 4u);
  EXPECT_EQ(out.Write(data, 1, &written), IO_ERROR);
  EXPECT_EQ(written, 0u);
  EXPECT_TRUE(out.Failed());
  out.EndChunk();
  EXPECT_EQ(out.Write(data, 0, nullptr), IO_ERROR);
  EXPECT_FALSE(out.Error().empty());
}

TEST(ChunkStream, UnbalancedEndChunkFailsTheSave) {
  ChunkSave out;
  out.EndChunk();
  EXPECT_TRUE(out.Failed());
}

namespace {

struct Recorder : PostLoadCallback {
  Recorder(std::vector<std::string>& log, std::string name, int priority, int* deleted)
      : log_(log), name_(std::move(name)), priority_(priority), deleted_(deleted) {}
  ~Recorder() override { ++*deleted_; }
  int Priority() override { return priority_; }
  void proc(ILoad* iload) override {
    log_.push_back(name_);
    if (name_ == "b") iload->RegisterPostLoadCallback(new Recorder(log_, "late", 0, deleted_));
  }
  std::vector<std::string>& log_;
  std::string name_;
  int priority_;
  int* deleted_;
};

}  // namespace

TEST(ChunkStream, PostLoadCallbacksRunByPriorityAndAreDeleted) {
  std::vector<std::string> log;
  int deleted = 0;
  {
    ChunkLoad in({});
    in.RegisterPostLoadCallback(new Recorder(log, "a", 5, &deleted));
    in.RegisterPostLoadCallback(new Recorder(log, "b", 0, &deleted));
    in.RegisterPostLoadCallback(new Recorder(log, "c", 5, &deleted));
    in.RegisterPostLoadCallback(new Recorder(log, "d", 10, &deleted));
    in.RunPostLoadCallbacks();
    EXPECT_EQ(log, (std::vector<std::string>{"b", "a", "c", "d", "late"}));
    EXPECT_EQ(deleted, 5);
    // Callbacks of a load that never got to run them go with the loader.
    in.RegisterPostLoadCallback(new Recorder(log, "e", 5, &deleted));
  }
  EXPECT_EQ(deleted, 6);
  EXPECT_EQ(log.size(), 5u);
}
