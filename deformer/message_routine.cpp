#include "deformer/message_routine.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "host/sdk/interface.h"
#include "host/sdk/maxheap.h"
#include "module/resources/text_conversion.h"

namespace {

constexpr std::size_t kBufferBytes = 2048;
constexpr std::size_t kMaxChars = 2046;  // plus the terminating zero

std::atomic<HWND> g_owner{nullptr};

// Length of text without an incomplete UTF-8 sequence that a cut left at its end.
std::size_t WholeUtf8Length(const char* text, std::size_t length) {
  std::size_t lead = length;
  while (lead > 0 && (static_cast<unsigned char>(text[lead - 1]) & 0xC0) == 0x80 && length - lead < 3) --lead;
  if (lead == 0) return length;
  auto b = static_cast<unsigned char>(text[lead - 1]);
  std::size_t need = b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
  return need > length - (lead - 1) ? lead - 1 : length;
}

// Releases the host-heap buffer on every path.
struct HeapBuffer {
  char* data = static_cast<char*>(MAX_malloc(kBufferBytes));
  ~HeapBuffer() { MAX_free(data); }
};

}  // namespace

void SetMessageOwner(HWND window) { g_owner.store(window); }
HWND MessageOwner() { return g_owner.load(); }

int ShowSkinMessage(Tessarin* modifier, UINT flags, const char* format, ...) {
  (void)modifier;
  if (!format) return 0;
  HeapBuffer buffer;
  if (!buffer.data) return 0;

  va_list args;
  va_start(args, format);
  int written = std::vsnprintf(buffer.data, kMaxChars + 1, format, args);
  va_end(args);
  if (written < 0) return 0;
  std::size_t length = std::strlen(buffer.data);
  if (static_cast<std::size_t>(written) > length) length = WholeUtf8Length(buffer.data, length);

  // Before any evaluation has recorded the main window, ask the host for it now.
  HWND owner = MessageOwner();
  if (!owner)
    if (Interface* ip = GetCOREInterface()) owner = ip->GetMAXHWnd();
  SetForegroundWindow(owner);

  std::string_view text(buffer.data, length);
  std::size_t bar = text.find('|');
  std::wstring caption = bar == std::string_view::npos ? std::wstring(L" ") : Utf8ToWide(text.substr(0, bar));
  std::wstring body = Utf8ToWide(bar == std::string_view::npos ? text : text.substr(bar + 1));
  return MessageBoxW(owner, body.c_str(), caption.c_str(), flags);
}
