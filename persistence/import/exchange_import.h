#pragma once
// The exchange-file import: replaces a skin modifier's bones, per-vertex data and spline bindings
// by those of an exchange file, re-attaches the skin at the current time and takes over the
// file's blend shares when they fit. Not recorded for undo. Every failure shows one message
// through the skin's message routine; nothing is thrown.

#include <string>

class ExchangeFile;
class Tessarin;

// Asks for a file in the host's open-file dialog and imports it. A cancelled dialog does nothing
// and shows nothing. True when a file was applied. This is what the skin's "Import TSM File"
// button runs.
bool importExchangeFile(Tessarin& skin);

// Reads the file at path (UTF-8) and applies it. A file that cannot be read leaves the skin as it
// was and shows the reader's message.
bool importFromPath(Tessarin& skin, const std::string& path);

// Applies a file that was read successfully. Every file bone's node is found (by handle, then by
// name) and classified before anything changes: a bone without a usable node shows "Wrong or
// missing bone" with its name and leaves the skin exactly as it was. Otherwise the bones are
// replaced, a node listed twice keeping its first listing, and the skin is re-attached; true even
// when the attachment itself fails (it shows its own message).
bool applyExchangeFile(Tessarin& skin, const ExchangeFile& file);

// Makes the skin's editing interface import through importExchangeFile (the module does this
// when it is set up).
void InstallExchangeImport();
