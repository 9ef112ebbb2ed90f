#pragma once
// Weight colours: how strongly the selected bones hold each vertex, or, with no bone selected,
// each vertex's dual-quaternion share, as vertex colours (0x00BBGGRR) shown while painting.

#include <array>
#include <cstdint>

class ObjectWrapper;
class Tessarin;

// The colour of v on a six-colour gradient: v < −0.5 (no influence) gives noInfluence, v ≤ 0
// table[0], v ≥ 1 table[5]; in between [0, 1) runs through table[0] .. table[4] in 64 steps.
std::uint32_t GradientColor(float v, const std::array<std::uint32_t, 6>& table, std::uint32_t noInfluence);

// Fills skin.cache.vertexColors (one per vertex, table.vertexCount entries) from the weights:
// the selected bones' strongest weight on the weight gradient, or blendMix on the mix gradient
// when no bone is selected. Does nothing without vertices, bones, or a weight cache covering
// them.
void ComputeVertexColors(Tessarin& skin);

// The painter's colours: values holds one colour per vertex (table.vertexCount entries) and
// replaces skin.cache.vertexColors, when there are vertices, bones and a weight cache.
void SetVertexColors(Tessarin& skin, const std::uint32_t* values);

// Writes skin.cache.vertexColors into the vertex-colour map (channel 0) of the wrapped triangle,
// polygon or patch mesh, colour i on vertex i; vertices past the colours get noInfluenceColor.
// False, with the object unchanged, when nothing is wrapped or there are no colours.
bool WriteVertexColors(Tessarin& skin, ObjectWrapper& wrapper);
