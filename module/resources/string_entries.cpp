#include "module/resources/string_entries.h"

// "\n\r" (line feed, carriage return) breaks lines in message texts; "|" ends a caption.
const std::map<int, const wchar_t*>& StringEntries() {
  static const std::map<int, const wchar_t*> entries = {
      {30, L"Korvel Plugins"},
      {40, L"use_dual_quaternion"},
      {42, L"Tessarin|Input Error\n\rReading file\n\r%s"},
      {150, L"Tessarin|Can't open file for input\n\r%s"},
      {151, L"Tessarin|Unknown file version\n\r%s"},
      {152, L"Tessarin|Wrong or missing bone\n\r%s"},
      {238, L"use_inertia"},
      {239, L"use_oscillation"},
      {240, L"use_stack"},
      {241, L"use_orbicles"},
      {242, L"use_fluxels"},
      {243, L"Tessarin"},
      {247, L"use_linked"},
  };
  return entries;
}
