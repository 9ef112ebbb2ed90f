#pragma once
// The platform's common file dialogs, as far as plug-ins use them: the open-file dialog. In the
// headless host the choice comes from an open-file provider (host/headless/open_file_service.h).

#include "host/sdk/windefs.h"

// OPENFILENAMEW::Flags.
inline constexpr DWORD OFN_READONLY = 0x00000001;
inline constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
inline constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
inline constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
inline constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
inline constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;

// Zero-initialised here; as on the platform, the caller sets lStructSize to the structure's size
// and the dialog refuses any other.
struct OPENFILENAMEW {
  DWORD lStructSize = 0;
  HWND hwndOwner = nullptr;
  HINSTANCE hInstance = nullptr;
  // Pairs of description and pattern, each ended by a zero character; a second zero ends the list.
  const wchar_t* lpstrFilter = nullptr;
  wchar_t* lpstrCustomFilter = nullptr;
  DWORD nMaxCustFilter = 0;
  // 1-based index of the preselected pair of lpstrFilter.
  DWORD nFilterIndex = 0;
  // In: the initial file name (may be empty). Out: the chosen path, zero-terminated.
  wchar_t* lpstrFile = nullptr;
  // Room of lpstrFile in characters, the terminating zero included.
  DWORD nMaxFile = 0;
  wchar_t* lpstrFileTitle = nullptr;
  DWORD nMaxFileTitle = 0;
  const wchar_t* lpstrInitialDir = nullptr;
  // The dialog's title; null shows the platform's default title.
  const wchar_t* lpstrTitle = nullptr;
  DWORD Flags = 0;
  // Out: offsets of the file name and of its extension within lpstrFile.
  WORD nFileOffset = 0;
  WORD nFileExtension = 0;
  const wchar_t* lpstrDefExt = nullptr;
};
using LPOPENFILENAMEW = OPENFILENAMEW*;

// Shows the open-file dialog. TRUE with the chosen path in lpstrFile; FALSE when lStructSize is
// not the structure's size, the user cancelled or the path does not fit nMaxFile (lpstrFile is
// then left as it was).
BOOL GetOpenFileNameW(LPOPENFILENAMEW ofn);
