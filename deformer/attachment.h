#pragma once
// Attaching a skin's bones to the mesh of the node that carries it, at the host's current time:
// the bones' attachment shapes, the vertices' world positions, the spline bindings and the
// weights.

class INode;
class Tessarin;

// Attaches to the carrying node (the cached one, else the node found among the modifier's
// dependents, else `node`); a given node also becomes the cached one. On failure the table is
// detached and, except when the mesh cannot be wrapped, one message is shown.
bool Attach(Tessarin& skin, INode* node);

// What callers of an attachment do around it: detach (so that the mesh evaluated is not the
// skin's own result), attach, force a re-evaluation and ask the host for its command 71.
bool ReattachSkin(Tessarin& skin, INode* node);

// Makes the host evaluate the skin again: use_oscillation is written back at the current time
// with its own value, and the block notifies the modifier and the nodes behind it.
void ForceReevaluation(Tessarin& skin);
