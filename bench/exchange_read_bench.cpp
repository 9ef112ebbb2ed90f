// Reading a large exchange file: 100 bones × 1,000,000 vertices in the newest version, about
// 500 MB, written once to a temporary folder. Reports bytes per second of file read.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "module/resources/string_table.h"
#include "persistence/exchange/exchange_file.h"

namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kBones = 100;
constexpr std::int32_t kVertices = 1'000'000;

template <class T>
void Put(std::ofstream& out, T value) {
  static_assert(sizeof(T) == 4);
  std::uint32_t bits;
  std::memcpy(&bits, &value, 4);
  const unsigned char b[4] = {static_cast<unsigned char>(bits), static_cast<unsigned char>(bits >> 8),
                              static_cast<unsigned char>(bits >> 16), static_cast<unsigned char>(bits >> 24)};
  out.write(reinterpret_cast<const char*>(b), 4);
}

// The large file, made on first use and removed at exit.
class LargeFile {
public:
  LargeFile() {
    dir_ = fs::temp_directory_path() / ("tessarin-exchange-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    path_ = (dir_ / "large.tsm").string();

    // One bone's tables, little-endian on disk whatever the machine: codes one per vertex,
    // forced weights one per vertex.
    std::vector<unsigned char> codes(kVertices);
    std::vector<unsigned char> weights(4 * static_cast<std::size_t>(kVertices));
    for (std::int32_t v = 0; v < kVertices; ++v) {
      codes[v] = v % 7 == 0 ? 0xFE : 0x80;
      float w = static_cast<float>(v % 101);
      std::uint32_t bits;
      std::memcpy(&bits, &w, 4);
      for (int b = 0; b < 4; ++b) weights[4 * v + b] = static_cast<unsigned char>(bits >> (8 * b));
    }

    std::ofstream out(path_, std::ios::binary);
    Put(out, ExchangeFile::kVersionBlend);
    Put(out, kBones);
    for (std::int32_t i = 0; i < kBones; ++i) {
      char name[ExchangeFile::kNameFieldSize] = {};
      std::snprintf(name, sizeof name, "Bone%03d", i);
      out.write(name, sizeof name);
      Put(out, static_cast<std::uint32_t>(1000 + i));
      Put(out, 1.0f);
      Put(out, 1.0f);
      Put(out, kVertices);
      out.write(reinterpret_cast<const char*>(codes.data()), static_cast<std::streamsize>(codes.size()));
      out.write(reinterpret_cast<const char*>(weights.data()), static_cast<std::streamsize>(weights.size()));
      Put(out, std::int32_t{0});  // no spline tables
    }
    Put(out, kVertices);
    for (std::int32_t v = 0; v < kVertices; ++v) Put(out, 0.5f);
    out.close();
    size_ = fs::file_size(path_);
  }
  ~LargeFile() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  const std::string& path() const { return path_; }
  std::uintmax_t size() const { return size_; }

  static LargeFile& Get() {
    static LargeFile file;
    return file;
  }

private:
  fs::path dir_;
  std::string path_;
  std::uintmax_t size_ = 0;
};

void BM_ReadLargeFile(benchmark::State& state) {
  SetModuleInstance(reinterpret_cast<HINSTANCE>(1));
  const LargeFile& file = LargeFile::Get();
  for (auto _ : state) {
    ExchangeFile reader;
    bool ok = reader.read(file.path());
    if (!ok) {
      state.SkipWithError(reader.errorText().c_str());
      break;
    }
    benchmark::DoNotOptimize(reader.bones().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(file.size()));
}
BENCHMARK(BM_ReadLargeFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same content from memory: the reader's own cost without the operating system's.
void BM_ReadLargeBuffer(benchmark::State& state) {
  SetModuleInstance(reinterpret_cast<HINSTANCE>(1));
  const LargeFile& file = LargeFile::Get();
  std::vector<std::uint8_t> bytes(file.size());
  std::ifstream(file.path(), std::ios::binary)
      .read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  for (auto _ : state) {
    ExchangeFile reader;
    bool ok = reader.readBytes(bytes, "large.tsm");
    if (!ok) {
      state.SkipWithError(reader.errorText().c_str());
      break;
    }
    benchmark::DoNotOptimize(reader.bones().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_ReadLargeBuffer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
