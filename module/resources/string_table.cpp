#include "module/resources/string_table.h"

#include <algorithm>
#include <map>

#include "module/resources/string_entries.h"
#include "module/resources/text_conversion.h"

namespace {

HINSTANCE g_instance = nullptr;
MCHAR g_buffer[512];

}  // namespace

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }
HINSTANCE GetModuleInstance() { return g_instance; }

const MCHAR* GetString(int id) {
  if (g_instance == nullptr) return nullptr;
  const std::map<int, const wchar_t*>& table = StringEntries();
  auto it = table.find(id);
  if (it == table.end()) return nullptr;
  // Like the platform's string loader: the text is cut to the buffer, always terminated.
  std::wstring_view text(it->second);
  std::size_t n = std::min(text.size(), std::size(g_buffer) - 1);
  std::copy_n(text.data(), n, g_buffer);
  g_buffer[n] = L'\0';
  return g_buffer;
}

std::string GetStringUtf8(int id) {
  const MCHAR* text = GetString(id);
  return text ? WideToUtf8(text) : std::string();
}
