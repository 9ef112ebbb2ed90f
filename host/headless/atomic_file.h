#pragma once
// Whole-file reads and writes: every file the program writes (scene files, meshes, pictures)
// appears complete or not at all.
//
// A write goes to a temporary file ".NAME.tmp" beside the target (locked while in use; a unique
// ".NAME.XXXXXX" when another write of the same target holds it), is flushed to the disk, takes
// the target's permission bits (a new file gets 0666 less the umask) and is renamed over the
// target; the folder is then flushed so that the rename itself survives a crash.
// A symbolic link is written through: the file it points at (after every link in the chain) is
// replaced and the link stays a link; a link to nothing creates the file it names.
// A temporary file left by a write that was killed half-way is taken over and reused by the next
// write of the same target.

#include <cstdint>
#include <functional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

// Writes bytes to path as above. On any failure the temporary file is removed, path is left as
// it was (unless only the folder flush failed), and error says what failed and the system's reason.
bool WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes, std::string& error);

// As WriteFileAtomically, with the content produced by `produce` into a stream that writes to the
// temporary file as it goes (nothing more is held in memory). produce returns false with `why`
// set when it cannot make the content; a failed write makes the stream bad and is reported with
// the system's reason. Either way the target is not replaced.
bool WriteStreamAtomically(const std::string& path,
                           const std::function<bool(std::ostream& out, std::string& why)>& produce,
                           std::string& error);

// The whole content of the file at path.
bool ReadWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes, std::string& error);
