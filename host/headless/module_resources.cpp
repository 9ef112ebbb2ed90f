// The platform's resource calls, reading a module's resource directory (host/sdk/winresources.h).

#include <algorithm>
#include <cwchar>

#include "host/sdk/winresources.h"

namespace {

// A numbered resource name (MAKEINTRESOURCEW): the number, or -1 for a textual name.
int NumberOf(const wchar_t* name) {
  auto v = reinterpret_cast<UINT_PTR>(name);
  return v != 0 && v <= 0xFFFF ? static_cast<int>(v) : -1;
}

constexpr CursorResource kSystemArrow{IDC_ARROW_ID, 0, 0, L"arrow"};

}  // namespace

HCURSOR LoadCursorW(HINSTANCE instance, const wchar_t* name) {
  int id = NumberOf(name);
  if (id < 0) return nullptr;
  const CursorResource* cursor = nullptr;
  if (!instance) cursor = id == IDC_ARROW_ID ? &kSystemArrow : nullptr;
  else cursor = ResourcesOf(instance)->FindCursor(id);
  return reinterpret_cast<HCURSOR>(const_cast<CursorResource*>(cursor));
}

int LoadStringW(HINSTANCE instance, UINT id, wchar_t* buffer, int bufferMax) {
  const ModuleResourceDirectory* dir = ResourcesOf(instance);
  if (!dir || !buffer || bufferMax <= 0) return 0;
  const wchar_t* text = dir->FindString(id);
  if (!text) {
    buffer[0] = L'\0';
    return 0;
  }
  int n = static_cast<int>(std::min<std::size_t>(std::wcslen(text), static_cast<std::size_t>(bufferMax - 1)));
  std::copy_n(text, n, buffer);
  buffer[n] = L'\0';
  return n;
}

HACCEL LoadAcceleratorsW(HINSTANCE instance, const wchar_t* name) {
  const ModuleResourceDirectory* dir = ResourcesOf(instance);
  int id = NumberOf(name);
  if (!dir || id < 0) return nullptr;
  return reinterpret_cast<HACCEL>(const_cast<AcceleratorTableResource*>(dir->FindAccelerators(id)));
}

int CopyAcceleratorTableW(HACCEL table, ACCEL* entries, int n) {
  const auto* res = reinterpret_cast<const AcceleratorTableResource*>(table);
  if (!res) return 0;
  int count = static_cast<int>(res->entries.size());
  if (!entries) return count;
  int copied = std::clamp(n, 0, count);
  std::copy_n(res->entries.begin(), copied, entries);
  return copied;
}

HRSRC FindResourceW(HINSTANCE instance, const wchar_t* name, const wchar_t* type) {
  const ModuleResourceDirectory* dir = ResourcesOf(instance);
  int id = NumberOf(name);
  int kind = NumberOf(type);
  if (!dir || id < 0 || kind < 0) return nullptr;
  return reinterpret_cast<HRSRC>(const_cast<RawDataResource*>(dir->FindData(id, kind)));
}

// Resource data stays where the module keeps it: loading is the identity.
HGLOBAL LoadResource(HINSTANCE instance, HRSRC resource) {
  (void)instance;
  return reinterpret_cast<HGLOBAL>(resource);
}

const void* LockResource(HGLOBAL data) {
  const auto* res = reinterpret_cast<const RawDataResource*>(data);
  return res ? res->bytes.data() : nullptr;
}

DWORD SizeofResource(HINSTANCE instance, HRSRC resource) {
  (void)instance;
  const auto* res = reinterpret_cast<const RawDataResource*>(resource);
  return res ? static_cast<DWORD>(res->bytes.size()) : 0;
}

const DialogTemplateResource* FindDialogTemplate(HINSTANCE instance, const wchar_t* name) {
  const ModuleResourceDirectory* dir = ResourcesOf(instance);
  int id = NumberOf(name);
  return dir && id >= 0 ? dir->FindDialog(id) : nullptr;
}
