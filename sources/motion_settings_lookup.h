#pragma once
// How a skin finds a bone's secondary-motion settings: the first Wobblex on the bone node's
// world-space stack, read at the evaluation time and clamped to the ranges the motion uses.

#include "deformer/secondary_motion.h"

class INode;

// Fills the parts of *settings that it asks for (wantInertia, wantOscillation) from the bone's
// Wobblex at t. False, with *settings untouched, when the node is null, has no world-space stack
// or no Wobblex on it, or the Wobblex does not have exactly one current parameter block.
bool FindMotionSettings(INode* bone, TimeValue t, MotionSettings* settings);

// Makes skins use FindMotionSettings (the module does this when it is loaded).
void InstallMotionSettingsLookup();
