#pragma once
// The scene file's stream, as objects see it from their Save and Load. A scene file is a tree of
// chunks: each has a 16-bit identifier and a length, and holds either raw bytes or further
// chunks (or both, one after the other). Numbers are little-endian. The host writes every chunk
// header; an object only opens, closes, writes and reads. See docs/scene-file.md.

#include <cstdint>

#include "host/sdk/maxtypes.h"
#include "host/sdk/strclass.h"

using USHORT = std::uint16_t;
using ULONGLONG = std::uint64_t;

class ILoad;

// Work to do once the whole scene is loaded and every reference is restored. Priority orders the
// callbacks: 0 runs first, 10 last (ties in registration order).
class PostLoadCallback {
public:
  virtual ~PostLoadCallback() = default;
  virtual void proc(ILoad* iload) = 0;
  virtual int Priority() { return 5; }
};

class ISave {
public:
  virtual ~ISave() = default;

  // Opens a chunk inside the current one; EndChunk closes the innermost open chunk and fixes its
  // length. A chunk holds at most 0xFFFFFFFF bytes; a longer one fails the save.
  virtual void BeginChunk(USHORT id) = 0;
  virtual void EndChunk() = 0;
  // Number of chunks open (the host's own included).
  virtual int CurChunkDepth() = 0;

  // Appends nbytes raw bytes to the current chunk. IO_ERROR once a write fails; the save then
  // fails as a whole. nwrit (may be null) receives the number of bytes written.
  virtual IOResult Write(const void* buf, ULONG nbytes, ULONG* nwrit) = 0;
  // Writes str as UTF-8 followed by one zero byte (read back by ILoad::ReadWStringChunk).
  virtual IOResult WriteWString(const MCHAR* str) = 0;

  // The index under which the reference target ptr is stored in this file, or -1 when it is not
  // stored. Objects use it for pointers that are not references (a parameter block's owner).
  virtual int GetRefID(void* ptr) = 0;
};

class ILoad {
public:
  virtual ~ILoad() = default;

  // Opens the next chunk inside the current one: IO_OK, IO_END when the current chunk has no
  // more bytes (the end of the object's data at the object's own level), IO_ERROR when the next
  // chunk header is damaged (it does not fit the bytes that remain).
  virtual IOResult OpenChunk() = 0;
  // Closes the innermost open chunk, skipping whatever was not read of it. An object cannot
  // close the chunk the host opened for it (IO_ERROR).
  virtual IOResult CloseChunk() = 0;
  // Identifier and data length of the innermost open chunk (0 when none is open).
  virtual USHORT CurChunkID() = 0;
  virtual ULONGLONG CurChunkLength() = 0;
  // Bytes not yet read of the innermost open chunk. Readers compare every count they read with
  // it before they allocate.
  virtual ULONGLONG CurChunkRemaining() = 0;
  virtual int CurChunkDepth() = 0;
  // Identifier of the chunk that OpenChunk would open next, or 0 when there is none.
  virtual USHORT PeekNextChunkID() = 0;

  // Reads nbytes raw bytes of the current chunk. IO_ERROR when fewer remain: what remains is
  // copied and nread (may be null) tells how much.
  virtual IOResult Read(void* buf, ULONG nbytes, ULONG* nread) = 0;
  // Reads the rest of the current chunk as a string written by ISave::WriteWString (a final
  // zero byte is dropped). IO_ERROR when the bytes are not UTF-8.
  virtual IOResult ReadWStringChunk(MSTR& str) = 0;

  // The object stored under index imaker (see ISave::GetRefID), or null. Every object of the
  // file exists before the first Load runs, so the answer holds during Load and afterwards.
  virtual void* GetAddr(int imaker) = 0;
  // Registers work for after the whole scene is loaded. cb must come from new; the loader owns
  // it from here on and deletes it after it ran (or when the load fails before). A callback
  // does not delete itself.
  virtual void RegisterPostLoadCallback(PostLoadCallback* cb) = 0;
};
