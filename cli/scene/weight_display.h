#pragma once
// Weight colours chosen by bone name: the skins of the built scene select the named bones, so
// their vertex colours show those bones' weights (the weight gradient), and write the colours
// into their meshes.

#include <string>
#include <vector>

// Every skin selects exactly those of its bones whose node is named in names (the others are
// deselected) and shows its weight colours. False with *error set when a name is no bone of any
// skin (nothing is changed then).
bool ShowBoneWeights(const std::vector<std::string>& names, std::string* error);
