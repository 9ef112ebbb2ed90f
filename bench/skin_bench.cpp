// Skinning throughput: blending (linear, dual quaternion, per-vertex mix) at 100k and 1M
// vertices with 32 and 128 bones and 4 or 32 influences per vertex, a plain sparse loop beside
// them for the ratio, and the weight computation at 128 bones. Counters: vertices per second and
// non-zero vertex influences per second (wall clock; the loops run on every OpenMP thread).
//
// The skin is a limb: bones one unit apart along x, each a slightly bent ellipsoid, vertices
// scattered in a cylinder around them. For the blends each vertex has `influences` bones with
// non-zero weight, the nearest along the limb; the weight computation measures every bone on
// every vertex.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "deformer/blend.h"
#include "deformer/tessarin.h"
#include "deformer/weights.h"
#include "host/headless/headless_host.h"

namespace {

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
    std::uniform_real_distribution<float> along(0.0f, static_cast<float>(b)), around(-0.3f, 0.3f);
    for (int j = 0; j < n; ++j) {
      t.attachPositions[j] = Point3(along(rng), around(rng), around(rng));
      t.currentPositions[j] = t.attachPositions[j];
    }
    destination_.resize(n);
    touched_.resize(n);
  }
  ~Limb() { skin_->DeleteMe(); }
  Limb(const Limb&) = delete;
  Limb& operator=(const Limb&) = delete;

  int Vertices() const { return n_; }
  int Bones() const { return b_; }
  int Influences() const { return influences_; }
  Tessarin& Skin() { return *skin_; }
  const std::vector<Point3>& Destination() const { return destination_; }

  // The `influences` bones nearest along the limb share each vertex.
  void FillSparseWeights(int influences) {
    influences_ = std::min(influences, b_);
    WeightCache& c = skin_->cache;
    c.weights.assign(static_cast<std::size_t>(n_) * b_, 0.0f);
    c.weightsKey = {b_, n_};
    c.vertexColors.assign(n_, 0u);
    for (int j = 0; j < n_; ++j) {
      const float x = skin_->table.attachPositions[j].x;
      const int first = std::clamp(static_cast<int>(x) - influences_ / 2 + 1, 0, b_ - influences_);
      float sum = 0.0f;
      float* row = c.weights.data() + static_cast<std::size_t>(j) * b_;
      for (int k = first; k < first + influences_; ++k) {
        row[k] = 1.0f / (0.1f + std::fabs(x - (k + 0.5f)));
        sum += row[k];
      }
      for (int k = first; k < first + influences_; ++k) row[k] /= sum;
    }
    c.RebuildSparse();
  }

  // Every vertex's blend mix: 1 (pure dual quaternion) or a random share.
  void FillMix(bool random) {
    std::vector<float>& mix = skin_->table.blendMix;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> share(0.0f, 1.0f);
    for (float& m : mix) m = random ? share(rng) : 1.0f;
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
  int influences_ = 0;
  Tessarin* skin_ = nullptr;
  std::vector<Point3> destination_;
  std::vector<std::uint8_t> touched_;
};

// Benchmarks run in registration order, every mode of one size after another, so that only one
// limb (up to about 0.6 GB at 1M × 128) is alive at a time.
std::unique_ptr<Limb> gLimb;

Limb& LimbOf(int n, int b) {
  if (!gLimb || gLimb->Vertices() != n || gLimb->Bones() != b) {
    gLimb.reset();
    gLimb = std::make_unique<Limb>(n, b);
  }
  return *gLimb;
}

void ReportRates(benchmark::State& state, int vertices, double influences) {
  state.counters["vertices/s"] = benchmark::Counter(vertices, benchmark::Counter::kIsIterationInvariantRate);
  state.counters["influences/s"] = benchmark::Counter(influences, benchmark::Counter::kIsIterationInvariantRate);
}

enum class Mode { kLinear, kDualQuaternion, kMixed };

void Blend(benchmark::State& state, Mode mode) {
  const int n = static_cast<int>(state.range(0)), b = static_cast<int>(state.range(1));
  Limb& limb = LimbOf(n, b);
  limb.FillSparseWeights(static_cast<int>(state.range(2)));
  limb.FillMix(mode == Mode::kMixed);
  for (auto _ : state) limb.Blend(mode != Mode::kLinear);
  ReportRates(state, n, static_cast<double>(n) * limb.Influences());
}

void BM_BlendLinear(benchmark::State& state) { Blend(state, Mode::kLinear); }
void BM_BlendDualQuaternion(benchmark::State& state) { Blend(state, Mode::kDualQuaternion); }
void BM_BlendMixed(benchmark::State& state) { Blend(state, Mode::kMixed); }

// The straightforward sparse linear blend, written for the comparison: per vertex an offset into
// (bone, weight) pairs, each bone's skin frame applied to the point, the weighted positions
// averaged. Same data as BM_BlendLinear.
void BM_PlainLinearReference(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0)), b = static_cast<int>(state.range(1));
  Limb& limb = LimbOf(n, b);
  limb.FillSparseWeights(static_cast<int>(state.range(2)));
  const std::vector<float>& weights = limb.Skin().cache.weights;
  std::vector<int> offsets(n + 1, 0), bones;
  std::vector<float> shares;
  for (int j = 0; j < n; ++j) {
    for (int k = 0; k < b; ++k) {
      const float w = weights[static_cast<std::size_t>(j) * b + k];
      if (w <= 0.0f) continue;
      bones.push_back(k);
      shares.push_back(w);
    }
    offsets[j + 1] = static_cast<int>(bones.size());
  }
  const BoneTable& table = limb.Skin().table;
  std::vector<AffineFrame> skins(b);
  for (int k = 0; k < b; ++k) skins[k] = Multiply(table.currentFrames[k], table.bindFrames[k]);
  const Point3* source = table.currentPositions.data();
  std::vector<Point3> out(n);
  for (auto _ : state) {
#pragma omp parallel for schedule(static)
    for (int j = 0; j < n; ++j) {
      Point3 sum;
      float total = 0.0f;
      for (int e = offsets[j]; e < offsets[j + 1]; ++e) {
        sum += shares[e] * Transform(skins[bones[e]], source[j]);
        total += shares[e];
      }
      if (total > 1e-12f) out[j] = sum / total;
    }
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  ReportRates(state, n, static_cast<double>(n) * limb.Influences());
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
  ReportRates(state, n, static_cast<double>(n) * b);
}

}  // namespace

int main(int argc, char** argv) {
  TheHost().ResetScene();
  // Size by size, every kernel of one limb after another, so that each limb is built once.
  for (int n : {100'000, 1'000'000}) {
    for (const auto& [b, k] : {std::pair{32, 4}, std::pair{32, 32}, std::pair{128, 4}}) {
      for (const auto& [name, fn] : {std::pair{"BM_BlendLinear", &BM_BlendLinear},
                                     std::pair{"BM_PlainLinearReference", &BM_PlainLinearReference},
                                     std::pair{"BM_BlendDualQuaternion", &BM_BlendDualQuaternion},
                                     std::pair{"BM_BlendMixed", &BM_BlendMixed}})
        benchmark::RegisterBenchmark(name, fn)
            ->Args({n, b, k})
            ->ArgNames({"vertices", "bones", "influences"})
            ->UseRealTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("BM_ComputeWeights", BM_ComputeWeights)
        ->Args({n, 128})
        ->ArgNames({"vertices", "bones"})
        ->UseRealTime()
        ->Unit(benchmark::kMillisecond);
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  gLimb.reset();  // while the host still exists
  benchmark::Shutdown();
  return 0;
}
