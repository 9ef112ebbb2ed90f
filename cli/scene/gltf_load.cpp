#include "cli/scene/gltf_load.h"

#include <tiny_gltf.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <limits>

namespace {

// Images are kept as the file holds them, never decoded: the skin has no use for their pixels,
// and the glTF outputs carry them on unchanged.
// user is the model being loaded, whose buffers and views are read before its images: an image
// in a view that runs past its buffer is left empty here and refused with the views afterwards.
bool KeepImageUndecoded(tinygltf::Image* image, const int, std::string*, std::string*, int, int,
                        const unsigned char* bytes, int size, void* user) {
  if (!image || !bytes || size <= 0) return true;
  if (image->bufferView >= 0) {
    const auto& model = *static_cast<const tinygltf::Model*>(user);
    if (std::size_t(image->bufferView) >= model.bufferViews.size()) return true;
    const tinygltf::BufferView& view = model.bufferViews[image->bufferView];
    if (view.buffer < 0 || std::size_t(view.buffer) >= model.buffers.size()) return true;
    const std::size_t length = model.buffers[view.buffer].data.size();
    if (view.byteOffset > length || std::size_t(size) > length - view.byteOffset) return true;
  }
  image->image.assign(bytes, bytes + size);
  image->as_is = true;
  return true;
}

bool NoFileExists(const std::string&, void*) { return false; }
std::string SamePath(const std::string& path, void*) { return path; }
bool NoFileRead(std::vector<unsigned char>*, std::string* err, const std::string& path, void*) {
  if (err) *err += "external file " + path + " is not allowed here\n";
  return false;
}
bool NoFileWrite(std::string*, const std::string&, const std::vector<unsigned char>&, void*) { return false; }

// Extensions a file may require and still be read: they change nothing the skin reads, or (mesh
// quantization) only allow component types the accessor reader decodes anyway.
bool Harmless(const std::string& name) {
  return name == "KHR_mesh_quantization" || name == "KHR_texture_transform" || name == "KHR_materials_unlit" ||
         name == "KHR_lights_punctual" || name.rfind("KHR_materials_", 0) == 0;
}

std::string Reason(const std::string& name) {
  if (name == "KHR_draco_mesh_compression") return "Draco-compressed meshes cannot be read";
  if (name == "EXT_meshopt_compression" || name == "KHR_meshopt_compression")
    return "meshopt-compressed buffers cannot be read";
  if (name == "KHR_texture_basisu") return "KTX2 textures cannot be read";
  return "this reader does not support it";
}

// tinygltf's messages end in newlines and may hold several lines.
std::string Tidy(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  for (char& c : text)
    if (c == '\n') c = ';';
  return text;
}

}  // namespace

bool LooksLikeGltf(const std::string& bytes) {
  if (bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0) return true;
  // A top-level key "asset": scan the JSON text's outermost object without parsing it whole.
  std::size_t i = 0;
  if (bytes.size() >= 3 && std::memcmp(bytes.data(), "\xEF\xBB\xBF", 3) == 0) i = 3;
  while (i < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[i]))) ++i;
  if (i >= bytes.size() || bytes[i] != '{') return false;
  int depth = 0;
  for (; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == '"') {
      const std::size_t start = i + 1;
      for (++i; i < bytes.size() && bytes[i] != '"'; ++i)
        if (bytes[i] == '\\') ++i;
      if (depth == 1 && bytes.compare(start, i - start, "asset") == 0) {
        std::size_t j = i + 1;
        while (j < bytes.size() && std::isspace(static_cast<unsigned char>(bytes[j]))) ++j;
        if (j < bytes.size() && bytes[j] == ':') return true;
      }
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if (c == '}' || c == ']') {
      if (--depth == 0) return false;
    }
  }
  return false;
}

bool IsGltfFile(const std::filesystem::path& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) return false;
  std::ifstream in(path, std::ios::binary);
  char mark[4] = {};
  if (!in.read(mark, 4)) return false;
  if (std::memcmp(mark, "glTF", 4) == 0) return true;
  in.seekg(0);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return LooksLikeGltf(text);
}

bool LoadGltfModel(const std::string& bytes, const std::filesystem::path& directory, bool allowExternal,
                   tinygltf::Model& model, std::string& why) {
  if (bytes.size() > std::numeric_limits<unsigned int>::max()) {
    why = "is larger than 4 GiB";
    return false;
  }
  const bool binary = bytes.size() >= 4 && std::memcmp(bytes.data(), "glTF", 4) == 0;
  if (binary && bytes.size() >= 12) {
    std::uint32_t declared = 0;
    std::memcpy(&declared, bytes.data() + 8, 4);
    if (declared > bytes.size()) {
      why = "is truncated: its header declares " + std::to_string(declared) + " bytes, the file has " +
            std::to_string(bytes.size());
      return false;
    }
  }
  tinygltf::TinyGLTF loader;
  loader.SetImageLoader(KeepImageUndecoded, &model);
  if (!allowExternal) {
    tinygltf::FsCallbacks fs{NoFileExists, SamePath, NoFileRead, NoFileWrite, nullptr};
    loader.SetFsCallbacks(fs);
  }
  std::string err, warn;
  const std::string base = directory.empty() ? std::string(".") : directory.string();
  bool ok = false;
  try {
    if (binary)
      ok = loader.LoadBinaryFromMemory(&model, &err, &warn, reinterpret_cast<const unsigned char*>(bytes.data()),
                                       static_cast<unsigned int>(bytes.size()), base);
    else
      ok = loader.LoadASCIIFromString(&model, &err, &warn, bytes.data(), static_cast<unsigned int>(bytes.size()), base);
  } catch (const std::exception& e) {
    err = e.what();
    ok = false;
  }
  if (!ok) {
    why = (binary ? "is not a readable glTF binary: " : "is not a readable glTF file: ") +
          (err.empty() ? std::string("unknown problem") : Tidy(err));
    return false;
  }
  for (const std::string& name : model.extensionsRequired) {
    if (Harmless(name)) continue;
    why = "needs the extension " + name + ": " + Reason(name);
    return false;
  }
  return true;
}
