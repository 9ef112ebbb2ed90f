#pragma once
// Building blocks of the glTF writers: a model with one binary buffer, typed accessors over
// plain arrays, smooth vertex normals, and writing the model as one .glb file.

#include <tiny_gltf.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/scene/mesh_surface.h"
#include "host/sdk/point3.h"

// A model with asset version, generator, one scene (the default) and one empty buffer.
tinygltf::Model NewGlbModel(const std::string& generator);

// Appends bytes to buffer 0, 4-byte aligned, as a new buffer view (target 0: none); its index.
int AddBufferView(tinygltf::Model& model, const void* data, std::size_t bytes, int target);
// An accessor over a whole view; its index.
int AddAccessor(tinygltf::Model& model, int view, int componentType, int type, std::size_t count,
                std::vector<double> min = {}, std::vector<double> max = {});
// A float VEC3 vertex attribute (bounds included when withBounds, as positions need).
int AddVec3Attribute(tinygltf::Model& model, const std::vector<Point3>& values, bool withBounds);
// A float VEC2 vertex attribute: one pair per vertex.
int AddVec2Attribute(tinygltf::Model& model, const std::vector<std::array<float, 2>>& values);
// Unsigned 32-bit triangle indices.
int AddIndices(tinygltf::Model& model, const std::vector<std::uint32_t>& triangles);
// Scalar float animation times with their bounds.
int AddTimes(tinygltf::Model& model, const std::vector<float>& seconds);

// Adds the surface's material to the model and returns its index, or -1 when it has none.
int AddSurfaceMaterial(tinygltf::Model& model, const MeshSurface& surface);
// glTF's texture coordinates (v down) of the surface's (v up), or none when it has none or their
// count is not vertexCount.
std::vector<std::array<float, 2>> GltfTexCoords(const MeshSurface& surface, std::size_t vertexCount);

// Unit normals, one per vertex (positions: one per vertex; triangles: three indices each): the
// sum of the normals of the triangles around the vertex, weighted by their area. A vertex on no
// triangle of any area gets (0, 1, 0).
std::vector<Point3> VertexNormals(const std::vector<Point3>& positions, const std::vector<std::uint32_t>& triangles);

// Serialises the model as binary glTF and writes it in one piece (the file is replaced only once
// complete). False with *error naming the file.
bool WriteGlbModel(const tinygltf::Model& model, const std::filesystem::path& path, std::string* error);
