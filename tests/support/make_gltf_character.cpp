// make_gltf_character FILE [--form glb|embedded|external] [--segments N] [--spacing D]
//                          [--sparse] [--quantized] [--short-joints] [--eight] [--static]
// Writes the skinned test character (see gltf_character.h). The form follows the extension when
// not given: .glb binary, .gltf with the buffer embedded as base64.

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "support/gltf_character.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::cerr << "usage: make_gltf_character FILE [--form glb|embedded|external] [--segments N] [--spacing D]\n"
                 "                            [--sparse] [--quantized] [--short-joints] [--eight] [--static]\n";
    return 2;
  }
  std::filesystem::path path = argv[1];
  gltf_character::Options options;
  gltf_character::Form form = path.extension() == ".glb" ? gltf_character::Form::Glb : gltf_character::Form::Embedded;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if (arg == "--form" && hasValue) {
      const std::string f = argv[++i];
      if (f == "glb") form = gltf_character::Form::Glb;
      else if (f == "embedded") form = gltf_character::Form::Embedded;
      else if (f == "external") form = gltf_character::Form::External;
      else {
        std::cerr << "make_gltf_character: unknown form " << f << '\n';
        return 2;
      }
    } else if (arg == "--segments" && hasValue) {
      options.ringSegments = std::atoi(argv[++i]);
    } else if (arg == "--spacing" && hasValue) {
      options.ringSpacing = std::atof(argv[++i]);
      if (!(options.ringSpacing > 0.0)) {
        std::cerr << "make_gltf_character: --spacing must be above 0\n";
        return 2;
      }
    } else if (arg == "--sparse") {
      options.sparsePositions = true;
    } else if (arg == "--quantized") {
      options.quantizedWeights = true;
    } else if (arg == "--short-joints") {
      options.shortJoints = true;
    } else if (arg == "--eight") {
      options.eightInfluences = true;
    } else if (arg == "--static") {
      options.animations = false;
    } else {
      std::cerr << "make_gltf_character: unknown argument " << arg << '\n';
      return 2;
    }
  }
  std::string error;
  if (!gltf_character::Write(gltf_character::Make(options), path, form, &error)) {
    std::cerr << "make_gltf_character: " << error << '\n';
    return 1;
  }
  std::cout << path.string() << ": " << gltf_character::VertexCount(options) << " vertices\n";
  return 0;
}
