// Writes the seeds of corpus/gltf: small forms of the test character (binary and embedded, every
// accessor form it can take, without animation, with a matrix node). Run it by hand when the
// character or the import changes: make_gltf_seeds fuzz/corpus/gltf

#include <cstdio>
#include <filesystem>

#include "support/gltf_character.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_gltf_seeds DIR\n");
    return 2;
  }
  const std::filesystem::path dir = argv[1];
  std::filesystem::create_directories(dir);
  using gltf_character::Form;
  gltf_character::Options small;
  small.ringSegments = 3;
  small.ringSpacing = 0.6;
  auto write = [&](const char* name, gltf_character::Options o, Form form, bool matrixNode = false) {
    tinygltf::Model model = gltf_character::Make(o);
    if (matrixNode) {
      // The armature as a matrix: a uniform scale of 0.8 and a move.
      tinygltf::Node& n = model.nodes[0];
      n.translation.clear();
      n.rotation.clear();
      n.scale.clear();
      n.matrix = {0.8, 0, 0, 0, 0, 0.8, 0, 0, 0, 0, 0.8, 0, 0.5, 0, -0.25, 1};
      model.animations.clear();
    }
    std::string why;
    if (!gltf_character::Write(model, dir / name, form, &why)) {
      std::fprintf(stderr, "make_gltf_seeds: %s\n", why.c_str());
      return false;
    }
    return true;
  };
  gltf_character::Options packed = small;
  packed.sparsePositions = packed.quantizedWeights = packed.shortJoints = true;
  gltf_character::Options eight = small;
  eight.eightInfluences = true;
  gltf_character::Options still = small;
  still.animations = false;
  const bool ok = write("character.glb", small, Form::Glb) && write("character.gltf", small, Form::Embedded) &&
                  write("packed.glb", packed, Form::Glb) && write("eight_influences.glb", eight, Form::Glb) &&
                  write("no_animation.glb", still, Form::Glb) && write("matrix_node.glb", still, Form::Glb, true);
  return ok ? 0 : 1;
}
