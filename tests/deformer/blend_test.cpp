// Blending of vertices by their bones: linear, dual quaternion, mixed, and spline bones.

#include <omp.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "deformer/blend.h"
#include "deformer/blend_bone.h"
#include "deformer/blend_spline.h"
#include "hand_built_skin.h"
#include "host/headless/builtin_objects.h"
#include "support/tolerance.h"

namespace {

constexpr float kPi = std::numbers::pi_v<float>;
const Point3 kSentinel(-777, -777, -777);

struct BlendResult {
  std::vector<Point3> positions;
  std::vector<std::uint8_t> touched;
};

class BlendTest : public HandBuiltSkinTest {
protected:
  // Blends the attachment positions into a destination pre-filled with kSentinel.
  // The weights' sparse weights is rebuilt first: the tests change weights in place.
  BlendResult Blend(bool dualQuaternion, float threshold = 0.0f) {
    const int n = skin().table.vertexCount;
    BlendResult r{std::vector<Point3>(n, kSentinel), std::vector<std::uint8_t>(n, 0)};
    skin().cache.RebuildSparse();
    BlendSkin(skin(), 0, n, skin().table.attachPositions.data(), r.positions.data(), r.touched.data(), threshold,
              dualQuaternion);
    return r;
  }

  // A spline node whose shape has the given curves (linear segments), placed by nodeTM.
  SceneNode* SplineNode(const std::vector<SplineCurve>& curves, const Matrix3& nodeTM) {
    auto* shape = new SplineShapeObject();
    shape->curves = curves;
    SceneNode* node = host().CreateNode(L"spline", shape);
    node->SetNodeTM(0, nodeTM);
    return node;
  }

  // Makes bone i a spline bone with node and one binding per entry.
  void BindSpline(int i, INode* node, const std::vector<float>& params, const std::vector<std::int32_t>& curves,
                  const std::vector<Point3>& offsets, const std::vector<Point3>& tangents) {
    BoneEntry& b = Bone(i);
    b.kind = kSplineBone;
    b.splineCount = static_cast<int>(params.size());
    b.splineParam = params;
    b.splineCurve = curves;
    b.splineOffset = offsets;
    b.splineTangent = tangents;
    if (node) skin().SetBoneNode(i, node);
  }
};

TEST_F(BlendTest, BonesAtTheirAttachmentPoseLeaveVerticesInPlace) {
  Build(3, {{1, 2, 3}, {-4, 0.5f, 2}, {0, 0, 0}, {10, -3, 7}});
  Bone(0).bindShape = MakeShape(RotAngleAxisMatrix(Point3(1, 1, 0), 0.7f), Point3(1, 2, 3), Point3(2, 0.5f, 1));
  Bone(1).bindShape = MakeShape(RotateZMatrix(2.5f), Point3(-3, 1, 0), Point3(1, 3, 2));
  Bone(2).bindShape = MakeShape(RotateXMatrix(-1.0f), Point3(5, 5, 5), Point3(0.2f, 0.2f, 4));
  for (int i = 0; i < 3; ++i) Bone(i).shape = Bone(i).bindShape;
  Refresh();
  const float rows[4][3] = {{1, 0, 0}, {0.2f, 0.3f, 0.5f}, {0, 0.5f, 0.5f}, {0.9f, 0.1f, 0}};
  for (int v = 0; v < 4; ++v)
    for (int b = 0; b < 3; ++b) Weight(v, b) = rows[v][b];

  for (bool dq : {false, true}) {
    SCOPED_TRACE(dq ? "dual quaternion" : "linear");
    const BlendResult r = Blend(dq);
    for (int v = 0; v < 4; ++v) {
      EXPECT_EQ(r.touched[v], 1);
      EXPECT_TRUE(ExpectPoint3Near(r.positions[v], skin().table.attachPositions[v], 1e-4f));
    }
  }
}

TEST_F(BlendTest, TwoBonesHalfATurnApartCollapseLinearlyAndTurnAQuarterByDualQuaternion) {
  const std::vector<Point3> points = {{1, 0, 0}, {0, 2, 1}};
  Build(2, points);
  Bone(1).shape = MakeShape(RotateZMatrix(kPi), Point3(), Point3(1, 1, 1));
  Refresh();
  for (int v = 0; v < 2; ++v) Weight(v, 0) = Weight(v, 1) = 0.5f;

  const BlendResult linear = Blend(false);
  EXPECT_TRUE(ExpectPoint3Near(linear.positions[0], Point3(0, 0, 0), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(linear.positions[1], Point3(0, 0, 1), 1e-5f));

  // A quarter turn about z, in whichever sense the rounding of the half turn picked.
  const BlendResult dq = Blend(true);
  for (int v = 0; v < 2; ++v) {
    SCOPED_TRACE(v);
    const Point3 p = dq.positions[v];
    EXPECT_EQ(dq.touched[v], 1);
    EXPECT_NEAR(p.z, points[v].z, 1e-5f);
    EXPECT_NEAR(Point3(p.x, p.y, 0).Length(), Point3(points[v].x, points[v].y, 0).Length(), 1e-5f);
    EXPECT_NEAR(DotProd(Point3(p.x, p.y, 0), Point3(points[v].x, points[v].y, 0)), 0.0f, 1e-5f);
  }

  // A blend-mix table shorter than the vertex list: vertex 0 takes its share 0 (linear), vertex
  // 1, past the table, blends fully by dual quaternion.
  skin().table.blendMix = {0.0f};
  const BlendResult partial = Blend(true);
  EXPECT_TRUE(ExpectPoint3Near(partial.positions[0], linear.positions[0], 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(partial.positions[1], dq.positions[1], 0.0f));
}

TEST_F(BlendTest, DualQuaternionBlendingLeavesSplineBonesOut) {
  Build(2, {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}});
  BindSpline(0, nullptr, {0.5f, 0.5f, 0.5f}, {0, 0, 0}, {{}, {}, {}}, {{1, 0, 0}, {1, 0, 0}, {1, 0, 0}});
  Bone(0).shape = MakeShape(Matrix3(), Point3(0, 9, 0), Point3(1, 1, 1));
  Bone(1).shape = MakeShape(Matrix3(), Point3(0, 0, 5), Point3(1, 1, 1));
  Refresh();
  Weight(0, 0) = 1.0f;                     // only the spline bone
  Weight(1, 0) = Weight(1, 1) = 0.5f;      // the spline bone's half does not count
  Weight(2, 1) = 1.0f;

  const BlendResult r = Blend(true);
  EXPECT_EQ(r.touched[0], 0);
  EXPECT_EQ(r.positions[0], kSentinel);
  EXPECT_EQ(r.touched[1], 1);
  EXPECT_TRUE(ExpectPoint3Near(r.positions[1], Point3(2, 2, 7), 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(r.positions[2], Point3(3, 3, 8), 1e-5f));
}

TEST_F(BlendTest, ZeroBlendMixGivesExactlyTheLinearResult) {
  Build(2, {{1, 0, 0}, {0.5f, 2, -1}, {3, 1, 1}});
  Bone(0).shape = MakeShape(RotAngleAxisMatrix(Point3(0, 1, 1), 1.1f), Point3(1, 2, 0), Point3(1, 1, 1));
  Bone(1).shape = MakeShape(RotateXMatrix(-0.6f), Point3(0, 0, 3), Point3(1.5f, 1.5f, 1.5f));
  Refresh();
  const float share[3] = {0.3f, 0.8f, 0.5f};
  for (int v = 0; v < 3; ++v) {
    Weight(v, 0) = share[v];
    Weight(v, 1) = 1.0f - share[v];
    skin().table.blendMix[v] = 0.0f;
  }
  const BlendResult linear = Blend(false);
  const BlendResult mixed = Blend(true);
  EXPECT_EQ(mixed.positions, linear.positions);
  EXPECT_EQ(mixed.touched, linear.touched);
}

TEST_F(BlendTest, WeightsAtOrBelowTheThresholdAreIgnored) {
  struct Case {
    const char* name;
    float weight;
    float threshold;
    bool counts;
  };
  const Case cases[] = {
      {"equal to the threshold", 0.3f, 0.3f, false},
      {"just above the threshold", 0.3f, std::nextafter(0.3f, 0.0f), true},
      {"zero weight without threshold", 0.0f, 0.0f, false},
      {"any weight without threshold", 1e-6f, 0.0f, true},
  };
  for (const Case& c : cases) {
    for (bool dq : {false, true}) {
      SCOPED_TRACE(std::string(c.name) + (dq ? ", dual quaternion" : ", linear"));
      Build(1, {{1, 2, 3}});
      Bone(0).shape = MakeShape(Matrix3(), Point3(1, 0, 0), Point3(1, 1, 1));
      Refresh();
      Weight(0, 0) = c.weight;
      const BlendResult r = Blend(dq, c.threshold);
      EXPECT_EQ(r.touched[0], c.counts ? 1 : 0);
      EXPECT_TRUE(ExpectPoint3Near(r.positions[0], c.counts ? Point3(2, 2, 3) : kSentinel, 1e-5f));
    }
  }
}

TEST_F(BlendTest, DoubledRadiusScalesAlongTheBonesAxis) {
  const Matrix3 turn = RotateZMatrix(kPi / 2) * RotateXMatrix(0.4f);
  const Point3 x = turn.GetRow(0), y = turn.GetRow(1), z = turn.GetRow(2);
  const Point3 centre(1, 2, 3);
  Build(1, {centre, centre + 0.5f * x + 0.3f * y + 0.2f * z, centre - 2.0f * x});
  Bone(0).bindShape = MakeShape(turn, centre, Point3(1, 2, 3));
  Bone(0).shape = MakeShape(turn, centre, Point3(2, 2, 3));
  Refresh();
  for (int v = 0; v < 3; ++v) Weight(v, 0) = 1.0f;

  const BlendResult r = Blend(false);
  EXPECT_TRUE(ExpectPoint3Near(r.positions[0], centre, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(r.positions[1], centre + 1.0f * x + 0.3f * y + 0.2f * z, 1e-5f));
  EXPECT_TRUE(ExpectPoint3Near(r.positions[2], centre - 4.0f * x, 1e-5f));
}

TEST_F(BlendTest, SplineBoneDragsItsVerticesAlongTheBentCurve) {
  // Bound on the straight curve (0,0,0)–(5,0,0)–(10,0,0), one unit to its side; the curve is
  // then bent at its middle knot to (5,5,0).
  const Matrix3 nodeTM = RotateZMatrix(0.4f) * TransMatrix(Point3(1, 2, 3));
  SceneNode* node = SplineNode({{{{0, 0, 0}, {5, 0, 0}, {5, 5, 0}}, false, false}}, nodeTM);
  const Matrix3 g = node->GetObjectTM(0);
  Build(1, {Point3(7.5f, 1, 0) * g, Point3(2.5f, 1, 0) * g, Point3(9, 9, 9) * g});
  BindSpline(0, node, {0.75f, 0.25f}, {0, 0}, {{0, 1, 0}, {0, 1, 0}}, {{1, 0, 0}, {1, 0, 0}});
  for (int v = 0; v < 3; ++v) Weight(v, 0) = 1.0f;

  const BlendResult r = Blend(false);
  // On the bent half the offset turns with the tangent, a quarter turn about z.
  EXPECT_TRUE(ExpectPoint3Near(r.positions[0], Point3(4, 2.5f, 0) * g, 1e-4f));
  // On the straight half nothing changes.
  EXPECT_TRUE(ExpectPoint3Near(r.positions[1], Point3(2.5f, 1, 0) * g, 1e-4f));
  // Past the bound vertices the bone moves by its skin, here at rest.
  EXPECT_TRUE(ExpectPoint3Near(r.positions[2], Point3(9, 9, 9) * g, 1e-4f));
  EXPECT_EQ(r.touched, (std::vector<std::uint8_t>{1, 1, 1}));
}

TEST_F(BlendTest, SplineBoneWithoutUsableCurveMovesByItsSkin) {
  struct Case {
    const char* name;
    bool meshNode;  // else a spline node with a curve index past its curves
  };
  for (const Case c : {Case{"the node's object is a mesh", true}, Case{"the curve index is not a curve", false}}) {
    SCOPED_TRACE(c.name);
    SceneNode* node = c.meshNode ? host().CreateNode(L"mesh", SceneTest::MeshOf({{0, 0, 0}}))
                                 : SplineNode({{{{0, 0, 0}, {5, 0, 0}}, false, false}}, Matrix3());
    Build(1, {{1, 1, 1}});
    BindSpline(0, node, {0.5f}, {c.meshNode ? 0 : 3}, {{0, 1, 0}}, {{1, 0, 0}});
    Bone(0).shape = MakeShape(Matrix3(), Point3(0, 0, 5), Point3(1, 1, 1));
    Refresh();
    Weight(0, 0) = 1.0f;
    const BlendResult r = Blend(false);
    EXPECT_EQ(r.touched[0], 1);
    EXPECT_TRUE(ExpectPoint3Near(r.positions[0], Point3(1, 1, 6), 1e-5f));
  }
}

TEST_F(BlendTest, TablesNotCoveringTheVerticesLeaveEverythingAlone) {
  Build(2, {{1, 1, 1}, {2, 2, 2}});
  Weight(0, 0) = Weight(1, 1) = 1.0f;
  skin().cache.weights.resize(3);  // fewer than 2 bones × 2 vertices
  const BlendResult r = Blend(false);
  EXPECT_EQ(r.touched, (std::vector<std::uint8_t>{0, 0}));
  EXPECT_EQ(r.positions, (std::vector<Point3>{kSentinel, kSentinel}));
}

TEST(TangentRotation, TurnsTheFirstTangentOntoTheSecond) {
  struct Case {
    const char* name;
    Point3 from, to;
  };
  const Case cases[] = {
      {"quarter turn", {1, 0, 0}, {0, 1, 0}},
      {"lengths do not matter", {2, 0, 0}, {0, 0, -3}},
      {"oblique", {1, 2, 3}, {-2, 0.5f, 1}},
      {"same direction", {0, 1, 0}, {0, 4, 0}},
      {"opposite along x", {1, 0, 0}, {-1, 0, 0}},
      {"opposite, oblique", {1, -2, 0.5f}, {-2, 4, -1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Matrix3 r = TangentRotation(c.from, c.to);
    EXPECT_TRUE(ExpectPoint3Near(Normalize(c.from) * r, Normalize(c.to), 1e-5f));
    EXPECT_NEAR(r.Determinant(), 1.0f, 1e-5f);
    EXPECT_TRUE(ExpectPoint3Near(r.GetTrans(), Point3(), 0.0f));
  }
  EXPECT_TRUE(ExpectMatrix3Near(TangentRotation(Point3(), Point3(1, 0, 0)), Matrix3(), 0.0f));
}

// Every branch of the matrix-to-quaternion conversion, checked by the rigid motion it encodes.
TEST(BlendBone, DualQuaternionReproducesTheRigidSkin) {
  struct Case {
    const char* name;
    Point3 axis;
    float angle;
  };
  const Case cases[] = {
      {"positive trace", {1, 2, 3}, 0.3f},
      {"half turn about x", {1, 0, 0}, kPi},
      {"half turn about y", {0, 1, 0}, kPi},
      {"half turn about z", {0, 0, 1}, kPi},
      {"x dominant", {1, 0.2f, 0.1f}, 2.8f},
      {"y dominant", {0.1f, 1, 0.3f}, 2.8f},
      {"z dominant", {0.2f, -0.1f, 1}, 2.8f},
  };
  AffineFrame bind;  // unit sphere at the origin
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BoneShape current = MakeShape(RotAngleAxisMatrix(c.axis, c.angle), Point3(3, -1, 2), Point3(2, 2, 2));
    const AffineFrame currentFrame = ScaleAxes(current.frame, Point3(2, 2, 2));
    const BlendBone bone = PrepareBlendBone(currentFrame, bind, true);
    EXPECT_TRUE(ExpectPoint3Near(bone.scale, Point3(2, 2, 2), 1e-5f));
    const float* q = bone.real;
    EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0f, 1e-5f);
    for (const Point3 p : {Point3(1, 0, 0), Point3(0.5f, -2, 3), Point3(0, 0, 0)}) {
      EXPECT_TRUE(ExpectPoint3Near(DualQuatTransform(bone.real, bone.dual, bone.scale * p), Transform(bone.skin, p),
                                   1e-4f));
    }
  }
}

// --- The parallel blend against a plain reference -------------------------------------------

struct D3 {
  double x = 0, y = 0, z = 0;
  D3() = default;
  D3(double ax, double ay, double az) : x(ax), y(ay), z(az) {}
  explicit D3(const Point3& p) : x(p.x), y(p.y), z(p.z) {}
  D3 operator+(const D3& o) const { return {x + o.x, y + o.y, z + o.z}; }
  D3 operator-(const D3& o) const { return {x - o.x, y - o.y, z - o.z}; }
  D3 operator*(double f) const { return {x * f, y * f, z * f}; }
  Point3 ToPoint() const { return Point3(x, y, z); }
};
D3 Cross(const D3& a, const D3& b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// skin = current · bind, in doubles: rows of three axis entries and a translation.
struct RefSkin {
  double m[3][4];
  D3 Apply(const D3& p) const {
    return {m[0][0] * p.x + m[0][1] * p.y + m[0][2] * p.z + m[0][3],
            m[1][0] * p.x + m[1][1] * p.y + m[1][2] * p.z + m[1][3],
            m[2][0] * p.x + m[2][1] * p.y + m[2][2] * p.z + m[2][3]};
  }
};

RefSkin ReferenceSkin(const AffineFrame& c, const AffineFrame& b) {
  RefSkin s;
  for (int r = 0; r < 3; ++r) {
    for (int k = 0; k < 4; ++k) {
      double v = k == 3 ? c.m[r][3] : 0.0;
      for (int i = 0; i < 3; ++i) v += double(c.m[r][i]) * b.m[i][k];
      s.m[r][k] = v;
    }
  }
  return s;
}

// Column lengths, rotation quaternion (w, x, y, z) and dual part of a skin.
void ReferenceDualQuat(const RefSkin& s, D3& scale, double q[4], double d[4]) {
  double a[3][3];
  double len[3];
  for (int c = 0; c < 3; ++c) {
    len[c] = std::sqrt(s.m[0][c] * s.m[0][c] + s.m[1][c] * s.m[1][c] + s.m[2][c] * s.m[2][c]);
    for (int r = 0; r < 3; ++r) a[r][c] = s.m[r][c] / len[c];
  }
  scale = {len[0], len[1], len[2]};
  const double tr = a[0][0] + a[1][1] + a[2][2];
  if (tr > 0) {
    double k = 2 * std::sqrt(tr + 1);
    q[0] = k / 4, q[1] = (a[2][1] - a[1][2]) / k, q[2] = (a[0][2] - a[2][0]) / k, q[3] = (a[1][0] - a[0][1]) / k;
  } else if (a[0][0] > a[1][1] && a[0][0] > a[2][2]) {
    double k = 2 * std::sqrt(1 + a[0][0] - a[1][1] - a[2][2]);
    q[0] = (a[2][1] - a[1][2]) / k, q[1] = k / 4, q[2] = (a[0][1] + a[1][0]) / k, q[3] = (a[0][2] + a[2][0]) / k;
  } else if (a[1][1] > a[2][2]) {
    double k = 2 * std::sqrt(1 + a[1][1] - a[0][0] - a[2][2]);
    q[0] = (a[0][2] - a[2][0]) / k, q[1] = (a[0][1] + a[1][0]) / k, q[2] = k / 4, q[3] = (a[1][2] + a[2][1]) / k;
  } else {
    double k = 2 * std::sqrt(1 + a[2][2] - a[0][0] - a[1][1]);
    q[0] = (a[1][0] - a[0][1]) / k, q[1] = (a[0][2] + a[2][0]) / k, q[2] = (a[1][2] + a[2][1]) / k, q[3] = k / 4;
  }
  const double t0 = s.m[0][3], t1 = s.m[1][3], t2 = s.m[2][3];
  d[0] = -0.5 * (t0 * q[1] + t1 * q[2] + t2 * q[3]);
  d[1] = 0.5 * (t0 * q[0] + t1 * q[3] - t2 * q[2]);
  d[2] = 0.5 * (t1 * q[0] + t2 * q[1] - t0 * q[3]);
  d[3] = 0.5 * (t2 * q[0] + t0 * q[2] - t1 * q[1]);
}

// One vertex by one spline bone, straight from the host's queries; false without a curve.
bool ReferenceSpline(const BoneEntry& bone, const RefSkin& skin, const Point3& current, const Point3& attach, int j,
                     D3& out) {
  if (!bone.node || j >= bone.splineCount) return false;
  auto* shape = dynamic_cast<ShapeObject*>(bone.node->EvalWorldState(0).obj);
  if (!shape || bone.splineCurve[j] < 0 || bone.splineCurve[j] >= shape->NumberOfCurves(0)) return false;
  const Matrix3 g = bone.node->GetObjectTM(0);
  const Matrix3 gi = Inverse(g);
  const Point3 c = skin.Apply(D3(current)).ToPoint() * gi;
  const Point3 b = skin.Apply(D3(attach)).ToPoint() * gi;
  const Point3 rel = c + bone.splineOffset[j] - b;
  const float u = bone.splineParam[j];
  const Point3 pos = shape->InterpCurve3D(0, bone.splineCurve[j], u);
  const Point3 k = shape->TangentCurve3D(0, bone.splineCurve[j], std::clamp(u, 1e-6f, 0.999999f));
  const Point3 t0 = bone.splineTangent[j];
  const float angle = std::acos(std::clamp(DotProd(Normalize(k), Normalize(t0)), -1.0f, 1.0f));
  out = D3((rel * RotAngleAxisMatrix(Normalize(t0 ^ k), angle) + pos) * g);
  return true;
}

// The whole blend, one vertex after another; untouched vertices keep kSentinel.
BlendResult ReferenceBlend(const Tessarin& s, float threshold, bool dq) {
  const BoneTable& t = s.table;
  const int n = t.vertexCount, nb = t.boneCount;
  BlendResult r{std::vector<Point3>(n, kSentinel), std::vector<std::uint8_t>(n, 0)};
  std::vector<RefSkin> skins;
  std::vector<D3> scales(nb);
  std::vector<std::array<double, 4>> reals(nb), duals(nb);
  for (int k = 0; k < nb; ++k) {
    skins.push_back(ReferenceSkin(t.currentFrames[k], t.bindFrames[k]));
    ReferenceDualQuat(skins[k], scales[k], reals[k].data(), duals[k].data());
  }
  for (int j = 0; j < n; ++j) {
    const D3 a(t.attachPositions[j]);
    double total = 0;
    D3 lin, sc;
    double rq[4] = {0, 0, 0, 0}, dq4[4] = {0, 0, 0, 0};
    bool first = true;
    for (int k = 0; k < nb; ++k) {
      const float w = s.cache.weights[std::size_t(j) * nb + k];
      const bool spline = t.bones[k]->kind == kSplineBone;
      if (w <= threshold || (spline && dq)) continue;
      total += w;
      D3 p;
      if (!spline || !ReferenceSpline(*t.bones[k], skins[k], t.currentPositions[j], t.attachPositions[j], j, p))
        p = skins[k].Apply(a);
      lin = lin + p * w;
      if (!dq) continue;
      sc = sc + D3(scales[k].x * a.x, scales[k].y * a.y, scales[k].z * a.z) * w;
      double dot = 0;
      for (int c = 0; c < 4; ++c) dot += reals[k][c] * rq[c];
      const double sign = first || dot >= 0 ? w : -w;
      for (int c = 0; c < 4; ++c) {
        rq[c] += sign * reals[k][c];
        dq4[c] += sign * duals[k][c];
      }
      first = false;
    }
    if (total <= 1e-12) continue;
    D3 out = lin * (1 / total);
    if (dq) {
      const double len = std::sqrt(rq[0] * rq[0] + rq[1] * rq[1] + rq[2] * rq[2] + rq[3] * rq[3]);
      const double rw = rq[0] / len, dw = dq4[0] / len;
      const D3 rv(rq[1] / len, rq[2] / len, rq[3] / len), dv(dq4[1] / len, dq4[2] / len, dq4[3] / len);
      const D3 sp = sc * (1 / total);
      const D3 c = Cross(rv, sp) + sp * rw;
      const D3 moved = sp + Cross(rv, c) * 2 + (dv * rw - rv * dw + Cross(rv, dv)) * 2;
      const double m = t.blendMix[j];
      out = moved * m + out * (1 - m);
    }
    r.positions[j] = out.ToPoint();
    r.touched[j] = 1;
  }
  return r;
}

class BlendAgainstReference : public BlendTest {
protected:
  // Five rigid bones moved, turned and uniformly resized; a spline bone on a two-curve shape
  // binding part of the vertices, some with a curve index past its curves; a spline bone
  // without node. Sparse random weights, random blend shares, current positions slightly off
  // the attachment positions.
  void BuildRandomSkin(int n) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f), share(0.0f, 1.0f);
    auto randomPoint = [&](float scale) { return Point3(unit(rng), unit(rng), unit(rng)) * scale; };
    std::vector<Point3> points(n);
    for (Point3& p : points) p = randomPoint(10.0f);
    Build(7, points);
    for (int i = 0; i < 5; ++i) {
      const Point3 radii(0.5f + share(rng), 0.5f + share(rng), 0.5f + share(rng));
      Bone(i).bindShape = MakeShape(RotAngleAxisMatrix(randomPoint(1), 3 * unit(rng)), randomPoint(5), radii);
      Bone(i).shape = MakeShape(RotAngleAxisMatrix(randomPoint(1), 3 * unit(rng)), randomPoint(5),
                                radii * (0.8f + 0.4f * share(rng)));
    }
    SceneNode* node = SplineNode({{{{0, 0, 0}, {4, 1, 0}, {6, 5, 2}, {3, 8, 4}}, false, true},
                                  {{{-5, 0, 0}, {-5, 5, 0}, {0, 5, 5}}, false, false}},
                                 RotateYMatrix(0.3f) * TransMatrix(Point3(0, 1, -2)));
    const int bound = n * 3 / 5;
    std::vector<float> params(bound);
    std::vector<std::int32_t> curves(bound);
    std::vector<Point3> offsets(bound), tangents(bound);
    for (int j = 0; j < bound; ++j) {
      params[j] = share(rng);
      curves[j] = j % 11 == 0 ? 5 : j % 2;
      offsets[j] = randomPoint(1);
      tangents[j] = randomPoint(1);
    }
    BindSpline(5, node, params, curves, offsets, tangents);
    Bone(5).shape = MakeShape(RotateZMatrix(0.2f), Point3(0.5f, 0, 0), Point3(1, 1, 1));
    BindSpline(6, nullptr, {}, {}, {}, {});
    Bone(6).shape = MakeShape(RotateXMatrix(0.2f), Point3(0, 0.5f, 0), Point3(1, 1, 1));
    Refresh();

    for (int j = 0; j < n; ++j) {
      skin().table.currentPositions[j] = points[j] + randomPoint(0.1f);
      skin().table.blendMix[j] = share(rng);
      float sum = 0;
      for (int b = 0; b < 7; ++b) {
        const float w = share(rng) < 0.4f ? 0.0f : share(rng);
        Weight(j, b) = w;
        sum += w;
      }
      for (int b = 0; b < 7 && sum > 0; ++b) Weight(j, b) /= sum;
    }
  }
};

TEST_F(BlendAgainstReference, ParallelBlendMatchesThePlainOne) {
  BuildRandomSkin(3000);
  for (bool dq : {false, true}) {
    SCOPED_TRACE(dq ? "dual quaternion" : "linear");
    const BlendResult fast = Blend(dq, 0.05f);
    const BlendResult slow = ReferenceBlend(skin(), 0.05f, dq);
    ASSERT_EQ(fast.touched, slow.touched);
    int untouched = 0;
    for (int j = 0; j < skin().table.vertexCount; ++j) {
      untouched += fast.touched[j] == 0;
      ASSERT_TRUE(ExpectPoint3Near(fast.positions[j], slow.positions[j], 5e-4f)) << "vertex " << j;
    }
    EXPECT_GT(untouched, 0);  // the random weights leave some vertices without influence
  }
}

// The blend walks the sparse weights; walking every slot of the dense rows instead must give the
// same bits: same pairs, same order, same threshold.
TEST_F(BlendAgainstReference, SparseWeightsWalkMatchesTheDenseWalkBitForBit) {
  struct Case {
    const char* name;
    bool dq;
    float mix;  // every vertex's blend mix; below 0: the random shares, with some exact 0s and 1s
    float threshold;
  };
  const Case cases[] = {
      {"linear", false, -1.0f, 0.0f},
      {"linear above a threshold", false, -1.0f, 0.2f},
      {"dual quaternion", true, 1.0f, 0.0f},
      {"dual quaternion above a threshold", true, 1.0f, 0.15f},
      {"mixed", true, -1.0f, 0.0f},
      {"mixed above a threshold", true, -1.0f, 0.1f},
      {"dual quaternion mode, linear mix", true, 0.0f, 0.0f},
  };
  BuildRandomSkin(4000);
  std::vector<float>& mix = skin().table.blendMix;
  const std::vector<float> shares = mix;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    for (std::size_t j = 0; j < mix.size(); ++j)
      mix[j] = c.mix >= 0.0f ? c.mix : (j % 13 == 0 ? 0.0f : j % 17 == 0 ? 1.0f : shares[j]);
    const BlendResult sparse = Blend(c.dq, c.threshold);
    const int n = skin().table.vertexCount;
    BlendResult dense{std::vector<Point3>(n, kSentinel), std::vector<std::uint8_t>(n, 0)};
    BlendSkinDense(skin(), 0, n, skin().table.attachPositions.data(), dense.positions.data(), dense.touched.data(),
                   c.threshold, c.dq);
    ASSERT_EQ(sparse.touched, dense.touched);
    EXPECT_EQ(std::memcmp(sparse.positions.data(), dense.positions.data(), n * sizeof(Point3)), 0);
    int touched = 0;
    for (std::uint8_t t : sparse.touched) touched += t;
    EXPECT_GT(touched, n / 2);
  }
}

TEST_F(BlendAgainstReference, ResultDoesNotDependOnTheThreadCount) {
  // Large enough for the blend to run in parallel in both modes.
  BuildRandomSkin(60000);
  const int threads = omp_get_max_threads();
  for (bool dq : {false, true}) {
    SCOPED_TRACE(dq ? "dual quaternion" : "linear");
    omp_set_num_threads(1);
    const BlendResult one = Blend(dq, 0.05f);
    omp_set_num_threads(3);
    const BlendResult several = Blend(dq, 0.05f);
    omp_set_num_threads(threads);
    EXPECT_EQ(one.touched, several.touched);
    ASSERT_EQ(one.positions.size(), several.positions.size());
    EXPECT_EQ(std::memcmp(one.positions.data(), several.positions.data(), one.positions.size() * sizeof(Point3)), 0);
  }
}

}  // namespace
