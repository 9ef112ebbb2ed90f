#include "cli/scene/gltf_accessor.h"

#include <tiny_gltf.h>

#include <cmath>
#include <cstdint>
#include <cstring>

namespace {

// Elements an accessor without a buffer view may declare: its data would be zeros made from
// nothing, so a tiny file could otherwise ask for any amount of memory.
constexpr std::size_t kMaxElementsWithoutView = 1'000'000;

int ComponentCount(int type) {
  switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
  }
}

int ComponentSize(int componentType) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
  }
}

double Decode(const unsigned char* p, int componentType, bool normalized) {
  switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
      std::int8_t v;
      std::memcpy(&v, p, 1);
      return normalized ? std::max(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? p[0] / 255.0 : p[0];
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
      std::int16_t v;
      std::memcpy(&v, p, 2);
      return normalized ? std::max(v / 32767.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
      std::uint16_t v;
      std::memcpy(&v, p, 2);
      return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: {
      std::uint32_t v;
      std::memcpy(&v, p, 4);
      return normalized ? v / 4294967295.0 : v;
    }
    default: {
      float v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}

// The bytes of buffer view `index`, checked against its buffer. Null with why set.
const unsigned char* ViewBytes(const tinygltf::Model& model, int index, std::size_t& length, std::string& why) {
  if (index < 0 || std::size_t(index) >= model.bufferViews.size()) {
    why = "refers to buffer view " + std::to_string(index) + ", which the file does not have";
    return nullptr;
  }
  const tinygltf::BufferView& view = model.bufferViews[index];
  if (view.buffer < 0 || std::size_t(view.buffer) >= model.buffers.size()) {
    why = "buffer view " + std::to_string(index) + " refers to buffer " + std::to_string(view.buffer) +
          ", which the file does not have";
    return nullptr;
  }
  const std::vector<unsigned char>& data = model.buffers[view.buffer].data;
  if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset) {
    why = "buffer view " + std::to_string(index) + " needs bytes " + std::to_string(view.byteOffset) + " to " +
          std::to_string(view.byteOffset + view.byteLength) + " of buffer " + std::to_string(view.buffer) +
          ", which holds only " + std::to_string(data.size());
    return nullptr;
  }
  length = view.byteLength;
  return data.data() + view.byteOffset;
}

// Whether count elements of elementSize bytes, stride apart, starting at offset, fit in length.
bool Fits(std::size_t offset, std::size_t stride, std::size_t elementSize, std::size_t count, std::size_t length) {
  if (count == 0) return offset <= length;
  if (offset > length || elementSize > length - offset) return false;
  return (count - 1) <= (length - offset - elementSize) / (stride > 0 ? stride : 1);
}

}  // namespace

bool ReadAccessor(const tinygltf::Model& model, int index, AccessorData& out, std::string& why) {
  out = AccessorData();
  const std::string name = "accessor " + std::to_string(index);
  auto fail = [&](const std::string& what) {
    why = name + ": " + what;
    out = AccessorData();
    return false;
  };
  if (index < 0 || std::size_t(index) >= model.accessors.size()) {
    why = "refers to accessor " + std::to_string(index) + ", which the file does not have";
    return false;
  }
  const tinygltf::Accessor& a = model.accessors[index];
  const int components = ComponentCount(a.type);
  const int size = ComponentSize(a.componentType);
  if (components == 0) return fail("has an unknown type");
  if (size == 0) return fail("has an unknown component type " + std::to_string(a.componentType));
  const std::size_t elementSize = std::size_t(components) * size;
  out.components = components;
  out.count = a.count;

  if (a.bufferView >= 0) {
    std::size_t length = 0;
    std::string viewWhy;
    const unsigned char* bytes = ViewBytes(model, a.bufferView, length, viewWhy);
    if (!bytes) return fail(viewWhy);
    const std::size_t declared = model.bufferViews[a.bufferView].byteStride;
    const std::size_t stride = declared == 0 ? elementSize : declared;
    if (stride < elementSize) return fail("its buffer view's stride is shorter than one element");
    if (!Fits(a.byteOffset, stride, elementSize, a.count, length))
      return fail(std::to_string(a.count) + " elements from byte " + std::to_string(a.byteOffset) +
                  " run past the end of buffer view " + std::to_string(a.bufferView) + " (" + std::to_string(length) +
                  " bytes)");
    out.values.resize(a.count * components);
    for (std::size_t e = 0; e < a.count; ++e) {
      const unsigned char* p = bytes + a.byteOffset + e * stride;
      for (int c = 0; c < components; ++c) out.values[e * components + c] = Decode(p + c * size, a.componentType, a.normalized);
    }
  } else {
    if (a.count > kMaxElementsWithoutView)
      return fail("declares " + std::to_string(a.count) + " elements without a buffer view");
    out.values.assign(a.count * components, 0.0);
  }

  if (a.sparse.isSparse) {
    const int sparseCount = a.sparse.count;
    if (sparseCount < 0 || std::size_t(sparseCount) > a.count)
      return fail("its sparse part substitutes " + std::to_string(sparseCount) + " of " + std::to_string(a.count) +
                  " elements");
    const int indexType = a.sparse.indices.componentType;
    const int indexSize = indexType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE    ? 1
                          : indexType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT ? 2
                          : indexType == TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT   ? 4
                                                                                : 0;
    if (indexSize == 0) return fail("its sparse indices have an unknown component type");
    std::size_t indexLength = 0, valueLength = 0;
    std::string viewWhy;
    const unsigned char* indices = ViewBytes(model, a.sparse.indices.bufferView, indexLength, viewWhy);
    if (!indices) return fail("sparse indices: " + viewWhy);
    const unsigned char* values = ViewBytes(model, a.sparse.values.bufferView, valueLength, viewWhy);
    if (!values) return fail("sparse values: " + viewWhy);
    if (a.sparse.indices.byteOffset < 0 ||
        !Fits(std::size_t(a.sparse.indices.byteOffset), indexSize, indexSize, sparseCount, indexLength))
      return fail("its sparse indices run past the end of their buffer view");
    if (a.sparse.values.byteOffset < 0 ||
        !Fits(std::size_t(a.sparse.values.byteOffset), elementSize, elementSize, sparseCount, valueLength))
      return fail("its sparse values run past the end of their buffer view");
    for (int s = 0; s < sparseCount; ++s) {
      const double at = Decode(indices + a.sparse.indices.byteOffset + std::size_t(s) * indexSize, indexType, false);
      if (at >= double(a.count))
        return fail("sparse index " + std::to_string(std::uint64_t(at)) + " is past its " + std::to_string(a.count) +
                    " elements");
      const unsigned char* p = values + a.sparse.values.byteOffset + std::size_t(s) * elementSize;
      for (int c = 0; c < components; ++c)
        out.values[std::size_t(at) * components + c] = Decode(p + c * size, a.componentType, a.normalized);
    }
  }
  return true;
}

bool AllFinite(const AccessorData& data) {
  for (double v : data.values)
    if (!std::isfinite(v)) return false;
  return true;
}
