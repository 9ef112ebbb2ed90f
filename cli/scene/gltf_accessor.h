#pragma once
// Reading a glTF accessor into plain numbers, with every offset, stride and count checked against
// the bytes its buffer view and buffer really hold, and sparse substitutions applied.

#include <cstddef>
#include <string>
#include <vector>

namespace tinygltf {
class Model;
}

struct AccessorData {
  int components = 0;         // 1 (SCALAR) .. 16 (MAT4)
  std::size_t count = 0;      // elements
  std::vector<double> values; // count x components, element-major; normalised integers as [0, 1] or [-1, 1]
};

// Accessor `index` of model. False with why set ("accessor 4: ...") when the index is not an
// accessor, its type or component type is unknown, or its data lies outside its buffer view or
// buffer. Integer components are exact (indices, joints); float components keep their value.
bool ReadAccessor(const tinygltf::Model& model, int index, AccessorData& out, std::string& why);

// Whether every value is a finite number.
bool AllFinite(const AccessorData& data);
