#pragma once
// Finding a skin modifier's carrier by the skin's identity.

#include <cstdint>

class INode;

// The node that carries the skin whose instanceStamp is stamp; none when no skin in the scene
// has it.
INode* FindSkinCarrier(std::uint64_t stamp);
