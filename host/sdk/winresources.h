#pragma once
// Module resources as the headless host reads them. A plug-in module's instance handle points at
// its ModuleResourceDirectory; the platform's resource calls below look resources up through it.
// Resources are numbered (MAKEINTRESOURCEW); every record is static data of the module.

#include <span>

#include "host/sdk/windefs.h"

// A numbered resource name.
inline const wchar_t* MAKEINTRESOURCEW(int id) {
  return reinterpret_cast<const wchar_t*>(static_cast<UINT_PTR>(static_cast<WORD>(id)));
}
inline constexpr int IDC_ARROW_ID = 32512;  // the system's standard arrow cursor

// Window and control styles of dialog templates.
inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD DS_MODALFRAME = 0x0080;
inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x3;
inline constexpr DWORD BS_GROUPBOX = 0x7;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
inline constexpr DWORD SS_LEFT = 0x0;
inline constexpr DWORD SS_RIGHT = 0x2;

// Virtual-key codes of the accelerator tables (letters and digits are their ASCII codes).
inline constexpr WORD VK_SPACE = 0x20;
inline constexpr WORD VK_PRIOR = 0x21;  // Page Up
inline constexpr WORD VK_NEXT = 0x22;   // Page Down
inline constexpr WORD VK_ADD = 0x6B;       // numeric keypad plus
inline constexpr WORD VK_SUBTRACT = 0x6D;  // numeric keypad minus

// One control of a dialog template; positions and sizes in dialog units.
struct DialogControlResource {
  int id = -1;                    // -1 for static text and frames
  const wchar_t* windowClass = L"";  // "Button", "Static", "CustEdit", "SpinnerControl", "CustButton"
  const wchar_t* text = L"";
  DWORD style = 0;
  int x = 0, y = 0, cx = 0, cy = 0;
};

struct DialogTemplateResource {
  int id = 0;
  int cx = 0, cy = 0;  // dialog units
  DWORD style = 0;
  const wchar_t* title = L"";
  const wchar_t* font = L"";
  int pointSize = 0;
  std::span<const DialogControlResource> controls;
};

// One accelerator (the platform's ACCEL): flags, virtual-key code, command id.
struct ACCEL {
  BYTE fVirt = 0;
  WORD key = 0;
  WORD cmd = 0;
};
inline constexpr BYTE FVIRTKEY = 0x01;
inline constexpr BYTE FSHIFT = 0x04;
inline constexpr BYTE FCONTROL = 0x08;
inline constexpr BYTE FALT = 0x10;

struct AcceleratorTableResource {
  int id = 0;
  std::span<const ACCEL> entries;
};

struct CursorResource {
  int id = 0;
  int hotspotX = 0, hotspotY = 0;
  const wchar_t* role = L"";  // what the module shows it for
};

// A block of bytes of a resource type (RT_RCDATA for raw data).
struct RawDataResource {
  int id = 0;
  int type = 0;
  std::span<const BYTE> bytes;
};

inline constexpr int RT_CURSOR_TYPE = 1;
inline constexpr int RT_DIALOG_TYPE = 5;
inline constexpr int RT_STRING_TYPE = 6;
inline constexpr int RT_ACCELERATOR_TYPE = 9;
inline constexpr int RT_RCDATA_TYPE = 10;

class ModuleResourceDirectory {
public:
  virtual ~ModuleResourceDirectory() = default;
  // Null when the module has no such resource.
  virtual const wchar_t* FindString(UINT id) const = 0;
  virtual const DialogTemplateResource* FindDialog(int id) const = 0;
  virtual const AcceleratorTableResource* FindAccelerators(int id) const = 0;
  virtual const CursorResource* FindCursor(int id) const = 0;
  virtual const RawDataResource* FindData(int id, int type) const = 0;
};

// The handle a module is known by: the address of its resource directory.
inline HINSTANCE ModuleHandleOf(const ModuleResourceDirectory* directory) {
  return reinterpret_cast<HINSTANCE>(const_cast<ModuleResourceDirectory*>(directory));
}
// The directory behind a module handle (null for a null handle).
inline const ModuleResourceDirectory* ResourcesOf(HINSTANCE instance) {
  return reinterpret_cast<const ModuleResourceDirectory*>(instance);
}

struct HRSRC__;
struct HGLOBAL__;
using HRSRC = HRSRC__*;
using HGLOBAL = HGLOBAL__*;

// A module's cursor resource, or with a null instance a system cursor (IDC_ARROW_ID); null when
// there is no such cursor. The handle is the cursor's record (CursorOf).
HCURSOR LoadCursorW(HINSTANCE instance, const wchar_t* name);
inline const CursorResource* CursorOf(HCURSOR cursor) { return reinterpret_cast<const CursorResource*>(cursor); }
// Copies string id into buffer (at most bufferMax - 1 characters, always terminated) and
// returns the characters copied; 0 when the string does not exist.
int LoadStringW(HINSTANCE instance, UINT id, wchar_t* buffer, int bufferMax);
// The accelerator table resource name (a number), or null.
HACCEL LoadAcceleratorsW(HINSTANCE instance, const wchar_t* name);
// Copies up to n entries of table into entries (or, with entries null, answers the entry count).
int CopyAcceleratorTableW(HACCEL table, ACCEL* entries, int n);
// Raw resources: find, load, lock and size, as on the platform.
HRSRC FindResourceW(HINSTANCE instance, const wchar_t* name, const wchar_t* type);
HGLOBAL LoadResource(HINSTANCE instance, HRSRC resource);
const void* LockResource(HGLOBAL data);
DWORD SizeofResource(HINSTANCE instance, HRSRC resource);
// The dialog template resource name of a module, or null (the headless dialog service reads it).
const DialogTemplateResource* FindDialogTemplate(HINSTANCE instance, const wchar_t* name);
