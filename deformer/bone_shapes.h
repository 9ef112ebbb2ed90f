#pragma once
// What a node can serve as (its bone kind) and a bone's ellipsoid measured at a time.

#include "deformer/bone_table.h"

class Tessarin;

// The kind a bone made from node gets at t; 0 when the node cannot serve as a bone.
int Classify(INode* node, TimeValue t);

// Measures the bone's ellipsoid at t by its kind into target (the bind shape at attachment, the
// current shape at evaluation). Every radius is at least minRadius. A bone without node, without
// parent (link bone) or without evaluated object leaves target unchanged.
void MeasureShape(const BoneEntry& bone, TimeValue t, float minRadius, BoneShape& target);

// Every bone's current shape at t, in table order. This is where secondary motion (inertia and
// oscillation, for bones whose nodes carry motion settings) takes over from the plain
// measurement; without it bones are measured rigidly.
void UpdateBoneShapes(Tessarin& skin, TimeValue t, bool useInertia, bool useOscillation);
