#pragma once
// Whole-file reads and writes for the scene file.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Writes bytes to a new temporary file in path's directory, flushes it to the disk and renames
// it over path. On any failure the temporary file is removed, path is left as it was, and error
// says what failed and why.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

// The whole content of the file at path.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
