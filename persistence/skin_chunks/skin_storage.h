#pragma once
// Scene storage of the skin modifier: its chunks in the host's scene stream, every older layout
// on load, the reference numbering of older scenes and the conversion of old parameter blocks.

#include "host/sdk/maxtypes.h"

class ISave;
class ILoad;
class Tessarin;

// The base modifier's data, then the tag, main, set-name and stamp chunks. IO_OK, or the result
// of the first failed write (nothing is written after it).
IOResult SaveSkin(Tessarin& skin, ISave* isave);
// Reads the chunks SaveSkin writes and those of older versions, in whatever order; other chunks
// are skipped. Meant for a newly created modifier, as the host loads one. IO_ERROR when the main
// chunk, the set names or the stamp cannot be read or the main chunk's version is unknown; the
// bone table is then empty and unattached.
IOResult LoadSkin(Tessarin& skin, ILoad* iload);
// The reference index of a stored index: scenes whose main chunk is older than version 11
// numbered the references from 1 on one lower.
int RemapSkinRefOnLoad(const Tessarin& skin, int iref);

// Makes Tessarin's Save, Load and RemapRefOnLoad use the functions above.
void InstallSkinStorage();
