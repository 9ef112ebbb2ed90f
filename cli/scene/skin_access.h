#pragma once
// The skin modifiers of the scene and their editing interface, reached through the modifier's
// virtual GetInterface only (the program does not link the deformer).

#include <string>
#include <vector>

#include "module/registry/skin_editor.h"

class Animatable;
class INode;
class Modifier;

struct SkinRef {
  INode* node = nullptr;
  Modifier* modifier = nullptr;
  ISkinEditor* editor = nullptr;
  int stackIndex = 0;  // the modifier's index in its node's stack (0 is the top)
};

// The modifier's editing interface; null when it has none.
ISkinEditor* SkinEditorOf(Animatable* modifier);

// Every Tessarin modifier of the scene with an editing interface, nodes in scene order, each
// node's skins bottom of the stack first.
std::vector<SkinRef> FindSkins();

// Empty when every skin of node deformed it in its last evaluation, else why not.
std::string SkinFailureOn(INode* node);

// The scene's nodes that carry at least one skin, in scene order.
std::vector<INode*> SkinnedNodes(const std::vector<SkinRef>& skins);
