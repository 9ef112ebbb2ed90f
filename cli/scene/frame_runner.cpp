#include "cli/scene/frame_runner.h"

#include <cctype>
#include <chrono>
#include <iostream>
#include <cstdio>

#include "cli/scene/frame_time.h"
#include "cli/scene/mesh_snapshot.h"
#include "cli/scene/obj_file.h"
#include "cli/scene/progress.h"
#include "cli/scene/scene_builder.h"
#include "cli/scene/skin_access.h"
#include "cli/scene/skinned_glb_export.h"
#include "host/headless/headless_host.h"
#include "host/headless/utf8_text.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kMaxGlbFrames = 2000;
constexpr double kMaxGlbFrameVertices = 20e6;  // positions kept in memory: 240 MB

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

std::string NameOf(INode* node) { return WideToUtf8Text(node->GetName()); }

}  // namespace

std::string FileSafeName(const std::string& name) {
  std::string out;
  for (unsigned char c : name) out += (std::isalnum(c) || c == '-' || c == '_' || c == '.') ? char(c) : '_';
  return out.empty() ? std::string("node") : out;
}

namespace {

// RunFrames without its guard against running out of memory; doing says what it is at.
bool RunFramesUnguarded(const std::vector<INode*>& nodes, int frameRate, const RunOptions& options, RunReport& report,
                        std::string* error, std::string& doing) {
  report = RunReport();
  const Clock::time_point start = Clock::now();
  auto fail = [&](const std::string& why) {
    if (error) *error = why;
    return false;
  };
  if (nodes.empty()) return fail("the scene has no node with a Tessarin modifier");
  std::string why;
  if (!CheckFrameRange({options.firstFrame, options.lastFrame}, frameRate, why)) return fail(why);
  if (options.format == OutputFormat::SkinnedGlb) return RunSkinnedGlb(nodes, frameRate, options, report, error);
  std::error_code ec;
  std::filesystem::create_directories(options.outDir, ec);
  if (ec) return fail(options.outDir.string() + ": cannot create the output folder: " + ec.message());

  // Counted, not compared with the last frame: a range ending at the largest int must end.
  const int frames = static_cast<int>(FrameRange{options.firstFrame, options.lastFrame}.Count());
  std::vector<GlbMeshTrack> tracks(nodes.size());
  for (std::size_t n = 0; n < nodes.size(); ++n) {
    report.nodes.push_back(NameOf(nodes[n]));
    tracks[n].name = report.nodes.back();
  }
  ProgressReporter progress(options.progressStream ? *options.progressStream : std::cerr, options.progress, frames);
  MeshSnapshot snap;
  std::vector<int> counts(nodes.size(), 0);
  for (int i = 0; i < frames; ++i) {
    const int f = options.firstFrame + i;
    const TimeValue t = *FrameTicks(f, frameRate);
    TheHost().SetTime(t);
    for (std::size_t n = 0; n < nodes.size(); ++n) {
      doing = "evaluating " + report.nodes[n] + " at frame " + std::to_string(f);
      const Clock::time_point evalStart = Clock::now();
      // Faces are taken once for a .glb; OBJ frames write them every time, straight from the
      // evaluated mesh, so that a big mesh's faces are not copied into the snapshot as well.
      const SnapshotParts parts = f == options.firstFrame && options.format != OutputFormat::Obj
                                      ? SnapshotParts::Everything
                                      : SnapshotParts::PositionsAndColors;
      if (!TakeSnapshot(nodes[n], t, snap, &why, parts)) return fail(report.nodes[n] + ": " + why);
      if (const std::string failed = SkinFailureOn(nodes[n]); !failed.empty())
        return fail(report.nodes[n] + ": " + failed + " at frame " + std::to_string(f));
      report.evaluationSeconds += Since(evalStart);
      GlbMeshTrack& track = tracks[n];
      if (i == 0) {
        counts[n] = snap.VertexCount();
        report.vertices += snap.VertexCount();
        // A .glb holds every frame in memory and frames × frames animation weights.
        if (options.format == OutputFormat::Glb &&
            (frames > kMaxGlbFrames || double(frames) * report.vertices > kMaxGlbFrameVertices))
          return fail(std::to_string(frames) + " frames of " + std::to_string(report.vertices) +
                      " vertices are too many for one .glb file (at most " + std::to_string(kMaxGlbFrames) +
                      " frames and " + std::to_string(long(kMaxGlbFrameVertices)) +
                      " vertex positions in all): write OBJ frames (--format obj) or a shorter range");
        if (options.format == OutputFormat::Glb) {  // OBJ frames are written from the snapshot alone
          track.triangles = SnapshotTriangles(snap);
          track.colors = snap.colors;
        }
        if (auto it = options.surfaces.find(track.name); it != options.surfaces.end() && it->second)
          track.surface = *it->second;
      } else if (snap.VertexCount() != counts[n]) {
        return fail(report.nodes[n] + ": the vertex count changed at frame " + std::to_string(f));
      }
      if (options.format == OutputFormat::Obj) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, "_%04d.obj", f);
        std::filesystem::path file = options.outDir / (FileSafeName(report.nodes[n]) + suffix);
        const auto faces = [&](const ObjFaceVisitor& visit) { return VisitEvaluatedFaces(nodes[n], t, visit); };
        if (!WriteObjFile(file, snap, faces, &why)) return fail(why);
        report.files.push_back(file);
      } else {
        track.frames.push_back(snap.positions);
      }
    }
    ++report.frames;
    progress.FrameDone();
  }
  progress.Finish();
  doing = "writing the output";
  if (options.format == OutputFormat::Glb) {
    std::filesystem::path file = options.outDir / (options.baseName + ".glb");
    if (!WriteGlbFile(file, tracks, frameRate, options.interpolation, options.generator, &why, options.firstFrame))
      return fail(why);
    report.files.push_back(file);
  }
  report.totalSeconds = Since(start);
  return true;
}

}  // namespace

bool RunFrames(const std::vector<INode*>& nodes, int frameRate, const RunOptions& options, RunReport& report,
               std::string* error) {
  std::string doing = "preparing the frames";
  try {
    return RunFramesUnguarded(nodes, frameRate, options, report, error, doing);
  } catch (const std::bad_alloc&) {
    if (error)
      *error = "out of memory while " + doing + " (" + std::to_string(report.vertices) + " vertices, " +
               std::to_string(report.frames) + " frames done)";
    return false;
  }
}
