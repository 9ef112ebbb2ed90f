#pragma once
// What a run leaves in its output folder: the OBJ frames of its own nodes and nothing older.
// A run over frames 0 to 30 and then one over 0 to 5 into the same folder leaves the six frames
// of the second; files of other nodes and other files are kept.

#include <filesystem>
#include <string>
#include <vector>

// Removes from dir the files "NODE_<frame>.obj" (NODE the file-safe form of a node name, frame
// a whole number) of the named nodes that are not among `written`. Counts them in *removed.
// False with *error set (the file and the system's reason) when one cannot be removed.
bool RemoveEarlierFrames(const std::filesystem::path& dir, const std::vector<std::string>& nodeNames,
                         const std::vector<std::filesystem::path>& written, int* removed, std::string* error);
