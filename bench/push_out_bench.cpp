// Push-out throughput: a 100k-vertex skin against a 10k-triangle fluxel sphere and against three
// orbicles, in vertices per second. The passes run their vertex loops on OMP_NUM_THREADS threads.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <new>
#include <random>
#include <vector>

#include "deformer/tessarin.h"
#include "host/headless/headless_host.h"
#include "host/sdk/iparamb2.h"
#include "host/sdk/ref_container.h"
#include "host/sdk/triobj.h"
#include "module/registry/class_descs.h"
#include "module/registry/orbicle_parameters.h"
#include "sources/fluxel.h"
#include "sources/influence_passes.h"
#include "sources/orbicle.h"

namespace {

constexpr int kSkinVertices = 100000;
constexpr int kFluxelTriangles = 10000;

// A latitude-longitude sphere of radius r with rings × segments × 2 triangles (less the poles'
// degenerate halves, kept: they never hit).
TriObject* SphereMesh(float r, int rings, int segments) {
  TriObject* tri = CreateNewTriObject();
  Mesh& m = tri->mesh;
  for (int i = 0; i <= rings; ++i) {
    const float theta = 3.14159265f * float(i) / float(rings);
    for (int j = 0; j < segments; ++j) {
      const float phi = 2.0f * 3.14159265f * float(j) / float(segments);
      m.verts.push_back({r * std::sin(theta) * std::cos(phi), r * std::sin(theta) * std::sin(phi), r * std::cos(theta)});
    }
  }
  for (int i = 0; i < rings; ++i)
    for (int j = 0; j < segments; ++j) {
      const int a = i * segments + j, b = i * segments + (j + 1) % segments;
      Face f0, f1;
      f0.setVerts(a, b, b + segments);
      f1.setVerts(a, b + segments, a + segments);
      m.faces.push_back(f0);
      m.faces.push_back(f1);
    }
  m.InvalidateGeomCache();
  return tri;
}

struct PushOutScene {
  Tessarin* skin = nullptr;
  std::vector<Point3> rest;

  // A skin of vertexCount vertices; with fluxel a fluxel sphere of about triangles triangles,
  // otherwise three orbicles.
  PushOutScene(bool fluxel, int vertexCount, int triangles) {
    HeadlessHost& host = TheHost();
    host.ResetScene();
    GetTessarinDesc()->SetFactory([]() -> void* { return static_cast<Modifier*>(new (std::nothrow) Tessarin()); });
    host.RegisterClass(GetTessarinDesc());
    host.RegisterClass(GetOrbicleDesc());
    host.RegisterClass(GetFluxelDesc());

    TriObject* tri = CreateNewTriObject();
    tri->mesh.setNumVerts(vertexCount);
    IDerivedObject* stack = CreateDerivedObject(tri);
    skin = new Tessarin();
    skin->table.vertexCount = vertexCount;
    stack->AddModifier(skin);
    host.CreateNode(L"Skin", stack);

    if (fluxel) {
      // rings × 2·rings segments × 2 triangles.
      const int rings = std::max(2, int(std::lround(std::sqrt(double(triangles) / 4.0))));
      IDerivedObject* ws = CreateWSDerivedObject(SphereMesh(5.0f, rings, 2 * rings));
      ws->AddModifier(new Fluxel());
      skin->sourceContainer->AppendItem(host.CreateNode(L"Fluxel", ws));
    } else {
      for (int k = 0; k < 3; ++k) {
        auto* ob = new Orbicle();
        IParamBlock2* pb = ob->GetParamBlock(0);
        pb->SetValue(orbicle_param::length, 0, 6.0f);
        pb->SetValue(orbicle_param::width, 0, 4.0f);
        pb->SetValue(orbicle_param::height, 0, 8.0f);
        pb->SetValue(orbicle_param::blend, 0, 20);
        SceneNode* node = host.CreateNode(L"Orbicle", ob);
        Matrix3 tm(true);
        tm.SetTrans({float(k - 1) * 3.0f, 0.0f, 0.0f});
        node->SetNodeTM(0, tm);
        skin->sourceContainer->AppendItem(node);
      }
    }
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> pos(-6.0f, 6.0f);
    rest.resize(vertexCount);
    for (Point3& p : rest) p = {pos(rng), pos(rng), pos(rng)};
  }
  ~PushOutScene() { TheHost().ResetScene(); }
};

void Run(benchmark::State& state, void (*pass)(Tessarin&, TimeValue, int, Point3*, std::uint8_t*), bool fluxel,
         int vertexCount, int triangles) {
  PushOutScene scene(fluxel, vertexCount, triangles);
  std::vector<Point3> positions;
  std::vector<std::uint8_t> touched(vertexCount);
  for (auto _ : state) {
    positions = scene.rest;
    pass(*scene.skin, 0, vertexCount, positions.data(), touched.data());
    benchmark::DoNotOptimize(positions.data());
  }
  state.SetItemsProcessed(state.iterations() * vertexCount);
  state.counters["vertices/s"] = benchmark::Counter(double(vertexCount), benchmark::Counter::kIsIterationInvariantRate);
}

// Arguments: skin vertices, fluxel triangles.
void BM_FluxelPass(benchmark::State& state) {
  Run(state, ApplyFluxelPass, true, int(state.range(0)), int(state.range(1)));
}
void BM_ThreeOrbicles(benchmark::State& state) { Run(state, ApplyOrbiclePass, false, kSkinVertices, 0); }

BENCHMARK(BM_FluxelPass)
    ->Args({kSkinVertices, kFluxelTriangles})
    ->ArgNames({"vertices", "triangles"})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_ThreeOrbicles)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
