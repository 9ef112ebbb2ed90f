// Weights: the falloff of a point against an ellipsoid, forced and computed shares, their
// normalisation, and independence from the thread count.

#include <omp.h>

#include <cmath>
#include <cstring>
#include <random>

#include "deformer/weights.h"
#include "hand_built_skin.h"

namespace {

// A unit sphere at the origin, falloff distance 3.1 (so z equals the radial distance).
BoneShape UnitSphere(const Point3& centre = Point3(), float radius = 1.0f) {
  return MakeShape(Matrix3(), centre, Point3(radius, radius, radius));
}

TEST(FalloffWeight, FromDeepInsideToFarOutside) {
  const BoneShape s = UnitSphere();
  struct Case {
    const char* name;
    Point3 p;
    float falloffDistance;
    double weight;
  };
  const Case cases[] = {
      {"centre: distance −12, z ≤ −12", Point3(0, 0, 0), 3.1f, std::exp(12.0)},
      {"centre with a long falloff", Point3(0, 0, 0), 6.2f, std::exp(6.0)},
      // d = −0.5, z = 31 × d = −15.5: held at the cap.
      {"deep inside with a short falloff", Point3(0.5f, 0, 0), 0.1f, std::exp(12.0)},
      {"on the surface", Point3(1, 0, 0), 3.1f, 1.0},
      {"half outside", Point3(0, 1.5f, 0), 3.1f, std::exp(-0.5)},
      {"just within the cut-off", Point3(0, 0, 12.9f), 3.1f, std::exp(-11.9)},
      {"at the cut-off", Point3(0, 0, 13.0f), 3.1f, 0.0},
      {"far outside", Point3(100, 0, 0), 3.1f, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NEAR(FalloffWeight(c.p, s, c.falloffDistance, 0.0f) / std::max(c.weight, 1e-300), c.weight > 0 ? 1.0 : 0.0,
                1e-5);
  }
  // Strength below 0 acts as 0.
  EXPECT_EQ(FalloffWeight(Point3(0, 2, 0), s, 3.1f, -1.0f), FalloffWeight(Point3(0, 2, 0), s, 3.1f, 0.0f));
  // The strength term grows with the largest radius, whichever axis has it: d = 2 − 1 − 0.13 × 6.
  const BoneShape tall = MakeShape(Matrix3(), Point3(), Point3(1, 3, 1));
  EXPECT_NEAR(FalloffWeight(Point3(2, 0, 0), tall, 3.1f, 1.0f), std::exp(-(1.0 - 0.13 * 6.0)), 1e-6);
}

class Weights : public HandBuiltSkinTest {
protected:
  // One vertex at p and `bones` bones that are unit spheres at the origin with falloff 3.1 and
  // no strength: the raw weight is e to the minus radial distance.
  void OneVertex(int bones, const Point3& p) {
    Build(bones, {p});
    for (auto& b : skin().table.bones) {
      b->falloffDistance = 3.1f;
      b->strength = 0.0f;
    }
  }
  void SetCode(int bone, std::uint8_t code, float forced = 0.0f) {
    Bone(bone).vertexCodes[0] = code;
    Bone(bone).forcedWeights[0] = forced;
  }
  float W(int bone, int vertex = 0) { return skin().cache.weights[vertex * skin().table.boneCount + bone]; }
};

TEST_F(Weights, ASingleIncludedBoneTakesAllEvenForcedToZero) {
  OneVertex(3, Point3(50, 0, 0));  // far from every bone
  SetCode(0, 0x00);
  SetCode(1, kCodeForced, 0.0f);
  SetCode(2, 0x7E);  // forced bits but excluded
  ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
  EXPECT_EQ(W(0), 0.0f);
  EXPECT_EQ(W(1), 1.0f);
  EXPECT_EQ(W(2), 0.0f);
}

TEST_F(Weights, ForcedSharesAboveOneAreScaledDownAndComputedOnesDropped) {
  OneVertex(3, Point3(0.5f, 0, 0));  // deep inside the computed bone
  SetCode(0, kCodeForced, 60.0f);
  SetCode(1, kCodeForced, 60.0f);
  ASSERT_TRUE(ComputeWeights(skin(), 3, 1));
  EXPECT_FLOAT_EQ(W(0), 0.5f);
  EXPECT_FLOAT_EQ(W(1), 0.5f);
  EXPECT_EQ(W(2), 0.0f);
}

TEST_F(Weights, ForcedShareAndComputedSharesOfTheRest) {
  // Bone 1: raw weight 1 (on its surface); bone 2: raw weight 3 (ln 3 inside its surface).
  OneVertex(3, Point3(0, 0, 0));
  Bone(1).bindShape = UnitSphere(Point3(-1, 0, 0));
  Bone(2).bindShape = UnitSphere(Point3(0, -1, 0), 1.0f + static_cast<float>(std::log(3.0)));
  SetCode(0, kCodeForced, 30.0f);
  ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
  EXPECT_NEAR(W(0), 0.3f, 1e-6f);
  EXPECT_NEAR(W(1), 0.175f, 1e-6f);
  EXPECT_NEAR(W(2), 0.525f, 1e-6f);
}

TEST_F(Weights, FarVertexWithoutForcedWeightHasNoInfluence) {
  OneVertex(2, Point3(0, 0, 20));
  ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
  EXPECT_EQ(W(0), 0.0f);
  EXPECT_EQ(W(1), 0.0f);
}

TEST_F(Weights, InvalidTableOrCountsFailAndChangeNothing) {
  OneVertex(2, Point3(0, 0, 0));
  skin().cache.weights = {7.0f, 7.0f};
  struct Case {
    const char* name;
    int b, v;
    bool detach;
  };
  for (Case c : {Case{"detached", 0, 0, true}, {"other bone count", 3, 0, false}, {"other vertex count", 0, 2, false}}) {
    SCOPED_TRACE(c.name);
    if (c.detach) skin().table.Detach();
    EXPECT_FALSE(ComputeWeights(skin(), c.b, c.v));
    EXPECT_EQ(skin().cache.weights, (std::vector<float>{7.0f, 7.0f}));
    skin().table.attachTime = 0;
  }
}

TEST_F(Weights, EnsureAndAccessorRecomputeOnlyWhenNeeded) {
  OneVertex(2, Point3(0.25f, 0, 0));
  skin().cache.weights = {0.125f, 0.875f};  // pretend cache for (2, 1)
  EXPECT_TRUE(EnsureWeights(skin(), 2, 1));
  EXPECT_EQ(W(0), 0.125f);  // kept
  EXPECT_EQ(WeightOf(skin(), 1, 0), 0.875f);
  // A cache made for another bone count is made anew.
  skin().cache.weightsKey = {1, 1};
  EXPECT_TRUE(EnsureWeights(skin(), 2, 1));
  EXPECT_FLOAT_EQ(W(0), 0.5f);

  skin().cache.weights = {0.125f, 0.875f};
  skin().cache.Invalidate();
  EXPECT_FLOAT_EQ(WeightOf(skin(), 1, 0), 0.5f);  // recomputed: two equal spheres
  EXPECT_TRUE(skin().cache.Matches(2, 1));
  EXPECT_EQ(skin().cache.vertexColors.size(), 1u);
  EXPECT_EQ(WeightOf(skin(), 2, 0), 0.0f);  // no such bone
  EXPECT_EQ(WeightOf(skin(), 0, 5), 0.0f);  // no such vertex
}

TEST_F(Weights, ResultDoesNotDependOnTheThreadCount) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<float> coord(-6.0f, 6.0f);
  std::vector<Point3> points(997);
  for (Point3& p : points) p = Point3(coord(rng), coord(rng), coord(rng));
  Build(5, points);
  for (int b = 0; b < 5; ++b) {
    BoneEntry& bone = Bone(b);
    bone.bindShape = MakeShape(RotateYMatrix(0.3f * b), Point3(2.0f * b - 4, 0, 0), Point3(2, 1, 0.5f + b));
    bone.falloffDistance = 1.0f + b;
    bone.strength = 0.5f * b - 0.5f;
    for (int v = b; v < 997; v += 7) bone.vertexCodes[v] = (v % 3) ? kCodeForced : 0x00;
    for (int v = 0; v < 997; ++v) bone.forcedWeights[v] = static_cast<float>((v * 13 + b * 7) % 90);
  }
  const int saved = omp_get_max_threads();
  omp_set_num_threads(1);
  ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
  const std::vector<float> single = skin().cache.weights;
  for (int threads : {2, 3, 8}) {
    SCOPED_TRACE(threads);
    omp_set_num_threads(threads);
    skin().cache.Invalidate();
    ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
    ASSERT_EQ(skin().cache.weights.size(), single.size());
    EXPECT_EQ(std::memcmp(skin().cache.weights.data(), single.data(), single.size() * sizeof(float)), 0);
  }
  omp_set_num_threads(saved);
  // Every row sums to 1 or is all 0.
  for (int v = 0; v < 997; ++v) {
    float sum = 0.0f;
    for (int b = 0; b < 5; ++b) sum += W(b, v);
    EXPECT_TRUE(sum == 0.0f || std::fabs(sum - 1.0f) < 1e-5f) << v << ": " << sum;
  }
}

}  // namespace

namespace {

// Row v of the weights by the plain formula: every included bone measured in full, the shares
// scaled and normalised in the same double arithmetic, so that the row can be compared bit for
// bit.
std::vector<float> PlainExactRow(const BoneTable& t, int v) {
  const int nb = t.boneCount;
  std::vector<double> raw(nb, 0.0);
  double forced = 0.0, computed = 0.0;
  int included = 0, last = -1;
  for (int b = 0; b < nb; ++b) {
    const BoneEntry& e = *t.bones[b];
    const std::uint8_t code = e.CodeOf(v);
    if (!(code & kCodeIncluded)) continue;
    ++included;
    last = b;
    if (code == kCodeForced) {
      raw[b] = (v < static_cast<int>(e.forcedWeights.size()) ? e.forcedWeights[v] : 0.0f) * 0.01;
      forced += raw[b];
    } else {
      raw[b] = FalloffWeight(t.attachPositions[v], e.bindShape, e.falloffDistance, e.strength);
      computed += raw[b];
    }
  }
  std::vector<float> row(nb, 0.0f);
  if (included == 1) {
    row[last] = 1.0f;
    return row;
  }
  double fs = forced, cs = computed;
  if (forced >= 1.0) {
    fs = 1.0 / forced;
    cs = 0.0;
  } else if (computed > 1e-12) {
    fs = 1.0;
    cs = (1.0 - forced) / computed;
  }
  double sum = 0.0;
  for (int b = 0; b < nb; ++b) {
    const std::uint8_t code = t.bones[b]->CodeOf(v);
    if (!(code & kCodeIncluded)) continue;
    raw[b] *= code == kCodeForced ? fs : cs;
    sum += raw[b];
  }
  const double norm = sum > 1e-12 ? 1.0 / sum : 0.0;
  for (int b = 0; b < nb; ++b) row[b] = static_cast<float>(raw[b] * norm);
  return row;
}

}  // namespace

// The computation skips bones too far away to count; every weight still agrees with measuring
// every bone, whatever the bones' sizes, falloffs and strengths.
TEST_F(Weights, AgreeWithThePlainFormulaOnRandomRigs) {
  struct Case {
    const char* name;
    float spread;    // vertices within ±spread of the origin
    float falloff;   // falloff distance scale
    float strength;
  };
  const Case cases[] = {
      {"vertices among the bones", 6.0f, 1.0f, 0.5f},
      {"vertices far out, short falloff", 40.0f, 0.3f, 0.0f},
      {"long falloff, negative strength", 20.0f, 8.0f, -1.0f},
      {"strong bones", 10.0f, 1.0f, 3.0f},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 rng(99);
    std::uniform_real_distribution<float> coord(-c.spread, c.spread), unit(0.0f, 1.0f);
    std::vector<Point3> points(600);
    for (Point3& p : points) p = Point3(coord(rng), coord(rng), coord(rng));
    Build(9, points);
    for (int b = 0; b < 9; ++b) {
      BoneEntry& bone = Bone(b);
      bone.bindShape = MakeShape(RotAngleAxisMatrix(Point3(unit(rng), unit(rng), 1), 3 * unit(rng)),
                                 Point3(coord(rng), coord(rng), coord(rng)) * 0.5f,
                                 Point3(0.1f + 3 * unit(rng), 0.1f + unit(rng), 0.1f + 2 * unit(rng)));
      bone.falloffDistance = c.falloff * TwiceLargestRadius(bone.bindShape);
      bone.strength = c.strength;
      for (int v = b; v < 600; v += 11) bone.vertexCodes[v] = (v % 2) ? kCodeForced : 0x00;
      for (int v = 0; v < 600; ++v) bone.forcedWeights[v] = static_cast<float>((v * 7 + b * 3) % 40);
    }
    ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
    int nonZero = 0;
    for (int v = 0; v < 600; ++v) {
      const std::vector<float> plain = PlainExactRow(skin().table, v);
      for (int b = 0; b < 9; ++b) {
        nonZero += W(b, v) != 0.0f;
        ASSERT_LE(std::fabs(W(b, v) - plain[b]), 1e-6 * std::fabs(plain[b]) + 1e-30)
            << "vertex " << v << " bone " << b << ": " << W(b, v) << " against " << plain[b];
      }
    }
    EXPECT_GT(nonZero, 100);  // the rig is not trivially empty
  }
}

namespace {

bool SameBits(float a, float b) {
  std::uint32_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  return x == y || (std::isnan(a) && std::isnan(b));
}

// What a case does to the rig after the random bones and vertices are made.
enum class Twist {
  kNone,
  kCodes,            // random include, exclude and forced codes, forced shares 0 .. 30 % or 0 .. 120 %
  kShortArrays,      // code and forced arrays shorter than the vertex count
  kReachBoundary,    // vertices just inside and outside each bone's last non-zero weight
  kOddFalloffs,      // falloff distances 0, negative, huge, infinite and NaN; NaN strength
  kScaledFrames,     // frames whose axes are not unit length
  kFarPoints,        // vertices far outside the bones, huge (up to the float limit) and NaN
  kSingleIncluded,   // every bone but one excluded on many vertices
};

}  // namespace

// However many bones the computation leaves out as out of reach, every row is the plain formula's
// to the bit, on one thread or several.
TEST_F(Weights, EveryRowIsThePlainFormulaBitForBit) {
  struct Case {
    const char* name;
    int bones;
    int vertices;
    Twist twist;
  };
  const Case cases[] = {
      {"limb of ellipsoids", 32, 2000, Twist::kNone},
      {"include, exclude and forced codes", 24, 1500, Twist::kCodes},
      {"codes shorter than the vertices", 12, 900, Twist::kShortArrays},
      {"vertices on the reach boundary", 20, 2400, Twist::kReachBoundary},
      {"zero, huge and NaN falloffs", 16, 1200, Twist::kOddFalloffs},
      {"frames that are not rotations", 16, 1200, Twist::kScaledFrames},
      {"far, huge and undefined positions", 16, 1200, Twist::kFarPoints},
      {"a single included bone", 10, 800, Twist::kSingleIncluded},
      {"many bones", 300, 700, Twist::kCodes},
  };
  const int saved = omp_get_max_threads();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 rng(2024);
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    const float length = static_cast<float>(c.bones);  // bones one unit apart along x
    std::vector<Point3> points(c.vertices);
    for (Point3& p : points) p = Point3(length * unit(rng), 2 * unit(rng) - 1, 2 * unit(rng) - 1);
    Build(c.bones, points);
    BoneTable& t = skin().table;
    for (int b = 0; b < c.bones; ++b) {
      BoneEntry& bone = Bone(b);
      bone.bindShape = MakeShape(RotAngleAxisMatrix(Point3(unit(rng), unit(rng), 1), 3 * unit(rng)),
                                 Point3(b + 0.5f, 0.3f * unit(rng), 0.3f * unit(rng)),
                                 Point3(0.2f + unit(rng), 0.1f + 0.4f * unit(rng), 0.1f + 0.4f * unit(rng)));
      bone.falloffDistance = (0.2f + 1.5f * unit(rng)) * TwiceLargestRadius(bone.bindShape);
      bone.strength = 2 * unit(rng) - 0.5f;
    }
    switch (c.twist) {
      case Twist::kNone:
        break;
      case Twist::kCodes:
      case Twist::kShortArrays: {
        const std::uint8_t codes[] = {0x00, 0x80, 0xFE, 0xFE, 0x7E, 0x81, 0xFF, 0xFE};
        for (int b = 0; b < c.bones; ++b) {
          BoneEntry& bone = Bone(b);
          for (int v = 0; v < c.vertices; ++v) {
            if (unit(rng) < 0.3f) bone.vertexCodes[v] = codes[rng() % 8];
            bone.forcedWeights[v] = (v % 4 ? 30.0f : 120.0f) * unit(rng);
          }
          if (c.twist == Twist::kShortArrays) {
            bone.vertexCodes.resize(rng() % c.vertices);
            bone.forcedWeights.resize(rng() % c.vertices);
          }
        }
        break;
      }
      case Twist::kReachBoundary:
        // Spheres: the radial distance is the distance less radius and strength term, and the
        // last non-zero weight is at 12 / decay beyond that. Vertices within a few ulps of it,
        // and of the reach along the longest axis of the ellipsoids.
        for (int b = 0; b < c.bones; b += 2)
          Bone(b).bindShape = MakeShape(Matrix3(), GetOrigin(Bone(b).bindShape.frame), Point3(0.5f, 0.5f, 0.5f));
        for (int v = 0; v < c.vertices; ++v) {
          const int b = v % c.bones;
          const BoneShape& s = Bone(b).bindShape;
          const double edge = std::max({s.radius[0], s.radius[1], s.radius[2]}) + StrengthTerm(s, Bone(b).strength) +
                              12.0 / FalloffDecay(Bone(b).falloffDistance);
          const int axis = s.radius[0] >= s.radius[1] && s.radius[0] >= s.radius[2] ? 0 : (s.radius[1] >= s.radius[2] ? 1 : 2);
          // The spheres' vertices also along −x, −y and −z: the tightest bound is where a bone's
          // reach touches the lower faces of the region the bones cover.
          const Point3 sphereDirections[] = {Point3(-1, 0, 0), Point3(0, -1, 0), Point3(0, 0, -1),
                                             Normalize(Point3(unit(rng) - 0.5f, unit(rng) - 0.5f, unit(rng) - 0.5f))};
          const Point3 direction = b % 2 == 0 ? sphereDirections[(v / c.bones) % 4] : GetAxis(s.frame, axis);
          const double offset = (static_cast<int>(rng() % 9) - 4) * 2e-7 * edge;
          Point3& p = t.attachPositions[v];
          p = GetOrigin(s.frame) + direction * static_cast<float>(edge + offset);
          if (b % 2 == 0 && (v / c.bones) % 4 < 3) {
            // Along an axis: the float nearest the edge and its neighbours, a few ulps either way.
            const int a = (v / c.bones) % 4;
            float x = static_cast<float>(GetOrigin(s.frame)[a] - edge);
            for (int k = static_cast<int>(rng() % 9) - 4; k != 0; k += k > 0 ? -1 : 1)
              x = std::nextafter(x, k > 0 ? INFINITY : -INFINITY);
            p = GetOrigin(s.frame);
            p[a] = x;
          }
        }
        break;
      case Twist::kOddFalloffs: {
        const float odd[] = {0.0f, -1.0f, 1e30f, INFINITY, NAN, 1e-30f};
        for (int b = 0; b < 6; ++b) Bone(3 * b % c.bones).falloffDistance = odd[b];
        Bone(5).strength = NAN;
        Bone(7).strength = 1e30f;
        // The undefined bones only on some vertices, so that the other rows stay defined.
        for (int v = 0; v < c.vertices; ++v)
          if (v % 5) Bone(12).vertexCodes[v] = Bone(9).vertexCodes[v] = Bone(5).vertexCodes[v] = 0x00;
        break;
      }
      case Twist::kScaledFrames:
        for (int b = 0; b < c.bones; b += 2)
          Bone(b).bindShape.frame = ScaleAxes(Bone(b).bindShape.frame, Point3(0.5f, 0.7f, 1.0f + b % 3));
        break;
      case Twist::kFarPoints: {
        const float far[] = {300.0f, -4e4f, 1e19f, -3e38f, 3e38f, NAN};
        for (int v = 0, k = 0; v < c.vertices; v += 3, ++k) t.attachPositions[v][k % 3] = far[k % 6];
        break;
      }
      case Twist::kSingleIncluded:
        for (int v = 0; v < c.vertices; v += 2)
          for (int b = 0; b < c.bones; ++b)
            if (b != v % c.bones) Bone(b).vertexCodes[v] = (b + v) % 3 ? 0x00 : 0x7F;
        break;
    }
    for (int threads : {1, 2, 3}) {
      SCOPED_TRACE(threads);
      omp_set_num_threads(threads);
      skin().cache.Invalidate();
      ASSERT_TRUE(ComputeWeights(skin(), 0, 0));
      int nonZero = 0, mismatches = 0;
      for (int v = 0; v < c.vertices; ++v) {
        const std::vector<float> plain = PlainExactRow(t, v);
        for (int b = 0; b < c.bones; ++b) {
          nonZero += W(b, v) != 0.0f;
          if (!SameBits(W(b, v), plain[b]) && ++mismatches <= 5)
            ADD_FAILURE() << "vertex " << v << " bone " << b << ": " << W(b, v) << " against " << plain[b];
        }
      }
      EXPECT_EQ(mismatches, 0);
      EXPECT_GT(nonZero, c.vertices);  // the rig is not trivially empty
    }
  }
  omp_set_num_threads(saved);
}
