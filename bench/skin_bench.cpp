// Skinning throughput: blending (linear, dual quaternion, per-vertex mix) and the weight
// computation, at 10k, 100k and 1M vertices with 8, 32 and 128 bones. Reports vertex-bone pairs
// per second (wall clock; the loops run on every OpenMP thread).
//
// The skin is a limb: bones one unit apart along x, each a slightly bent ellipsoid, vertices
// scattered in a cylinder around them. For the blends each vertex has four bones with non-zero
// weight (the usual sparsity); the weight computation measures every bone on every vertex.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "deformer/blend.h"
#include "deformer/tessarin.h"
#include "deformer/weights.h"
#include "host/headless/headless_host.h"

namespace {

constexpr int kInfluences = 4;

BoneShape Ellipsoid(const Matrix3& rotation, const Point3& centre, const Point3& radii) {
  BoneShape s;
  s.frame = FrameFromMatrix(rotation);
  SetOrigin(s.frame, centre);
  for (int c = 0; c < 3; ++c) s.radius[c] = radii[c];
  return s;
}

// One skin of n vertices and b bones, attached, with hand-made sparse weights.
class Limb {
public:
  Limb(int n, int b) : n_(n), b_(b) {
    skin_ = new Tessarin();
    BoneTable& t = skin_->table;
    t.ResizeBones(b);
    t.ResizeVertexArrays(n);
    t.ResizeFrames();
    t.attachTime = 0;
    for (int i = 0; i < b; ++i) {
      BoneEntry& bone = *t.bones[i];
      bone.kind = kBoxBone;
      bone.bindShape = Ellipsoid(Matrix3(), Point3(i + 0.5f, 0, 0), Point3(0.6f, 0.3f, 0.3f));
      // Each joint bends a little more, and the limb stretches by a tenth.
      bone.shape = Ellipsoid(RotateZMatrix(0.01f * i) * RotateXMatrix(0.02f * i), Point3(1.1f * (i + 0.5f), 0.02f * i, 0),
                             Point3(0.66f, 0.33f, 0.33f));
      bone.falloffDistance = 2.0f * 0.6f * bone.falloff;
    }
    t.RebuildBindFrames();
    t.RebuildCurrentFrames();

    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> along(0.0f, static_cast<float>(b)), around(-0.3f, 0.3f), share(0.0f, 1.0f);
    for (int j = 0; j < n; ++j) {
      t.attachPositions[j] = Point3(along(rng), around(rng), around(rng));
      t.currentPositions[j] = t.attachPositions[j];
      t.blendMix[j] = share(rng);
    }
    FillSparseWeights();
    destination_.resize(n);
    touched_.resize(n);
  }
  ~Limb() { skin_->DeleteMe(); }
  Limb(const Limb&) = delete;
  Limb& operator=(const Limb&) = delete;

  int Vertices() const { return n_; }
  int Bones() const { return b_; }
  Tessarin& Skin() { return *skin_; }

  // The four bones nearest along the limb share each vertex.
  void FillSparseWeights() {
    WeightCache& c = skin_->cache;
    c.weights.assign(static_cast<std::size_t>(n_) * b_, 0.0f);
    c.weightsKey = {b_, n_};
    c.vertexColors.assign(n_, 0u);
    for (int j = 0; j < n_; ++j) {
      const float x = skin_->table.attachPositions[j].x;
      const int first = std::clamp(static_cast<int>(x) - kInfluences / 2 + 1, 0, std::max(b_ - kInfluences, 0));
      float sum = 0.0f;
      float* row = c.weights.data() + static_cast<std::size_t>(j) * b_;
      for (int k = first; k < std::min(first + kInfluences, b_); ++k) {
        row[k] = 1.0f / (0.1f + std::fabs(x - (k + 0.5f)));
        sum += row[k];
      }
      for (int k = first; k < std::min(first + kInfluences, b_); ++k) row[k] /= sum;
    }
  }

  void Blend(bool dualQuaternion) {
    std::fill(touched_.begin(), touched_.end(), 0);
    BlendSkin(*skin_, 0, n_, skin_->table.currentPositions.data(), destination_.data(), touched_.data(), 0.0f,
              dualQuaternion);
    benchmark::DoNotOptimize(destination_.data());
    benchmark::ClobberMemory();
  }

private:
  int n_;
  int b_;
  Tessarin* skin_ = nullptr;
  std::vector<Point3> destination_;
  std::vector<std::uint8_t> touched_;
};

// Benchmarks run in registration order, every mode of one size after another, so that only one
// limb (up to about 1.3 GB at 1M × 128) is alive at a time.
std::unique_ptr<Limb> gLimb;

Limb& LimbOf(int n, int b) {
  if (!gLimb || gLimb->Vertices() != n || gLimb->Bones() != b) {
    gLimb.reset();
    gLimb = std::make_unique<Limb>(n, b);
  }
  return *gLimb;
}

void ReportPairs(benchmark::State& state, int n, int b) {
  state.counters["pairs_per_s"] =
      benchmark::Counter(static_cast<double>(n) * b, benchmark::Counter::kIsIterationInvariantRate);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(n) * b);
}

enum class Mode { kLinear, kDualQuaternion, kMixed };

void BM_Blend(benchmark::State& state, Mode mode) {
  const int n = static_cast<int>(state.range(0)), b = static_cast<int>(state.range(1));
  Limb& limb = LimbOf(n, b);
  limb.FillSparseWeights();
  std::vector<float>& mix = limb.Skin().table.blendMix;
  if (mode == Mode::kDualQuaternion) std::fill(mix.begin(), mix.end(), 1.0f);
  if (mode == Mode::kMixed) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> share(0.0f, 1.0f);
    for (float& m : mix) m = share(rng);
  }
  for (auto _ : state) limb.Blend(mode != Mode::kLinear);
  ReportPairs(state, n, b);
}

void BM_ComputeWeights(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), b = static_cast<int>(state.range(1));
  Limb& limb = LimbOf(n, b);
  for (auto _ : state) {
    if (!ComputeWeights(limb.Skin(), b, n)) {
      state.SkipWithError("the weights could not be computed");
      break;
    }
    benchmark::DoNotOptimize(limb.Skin().cache.weights.data());
  }
  ReportPairs(state, n, b);
}

}  // namespace

int main(int argc, char** argv) {
  TheHost().ResetScene();
  for (int n : {10'000, 100'000, 1'000'000}) {
    for (int b : {8, 32, 128}) {
      const auto configure = [&](benchmark::internal::Benchmark* bm) {
        bm->Args({n, b})->ArgNames({"vertices", "bones"})->UseRealTime()->Unit(benchmark::kMillisecond);
        // The largest sizes take long per pass: a few passes are plenty.
        if (static_cast<double>(n) * b >= 1e8) bm->Iterations(3);
      };
      configure(benchmark::RegisterBenchmark("Blend/linear", BM_Blend, Mode::kLinear));
      configure(benchmark::RegisterBenchmark("Blend/dual_quaternion", BM_Blend, Mode::kDualQuaternion));
      configure(benchmark::RegisterBenchmark("Blend/mixed", BM_Blend, Mode::kMixed));
      configure(benchmark::RegisterBenchmark("ComputeWeights", BM_ComputeWeights));
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  gLimb.reset();  // while the host still exists
  benchmark::Shutdown();
  return 0;
}
