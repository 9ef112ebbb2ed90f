#pragma once
// The skin modifier's command-panel page (template 519): Help, "Import TSM File" and
// "About Tessarin Proxy". One page per edited modifier; the module remembers the modifier that
// the last page was opened for.

#include "host/sdk/iobjparam.h"

class Tessarin;

inline constexpr const MCHAR* kSkinPageTitle = L"TessarinProxy";
inline constexpr int kSkinPageCategory = 4000;

// Adds the page to the command panel and stores its window in the modifier; nothing else.
void BeginSkinPage(Tessarin& skin, IObjParam* ip);
// Removes the stored page, if any, and clears it.
void EndSkinPage(Tessarin& skin, IObjParam* ip);

// The modifier the page was last opened for (none before the first opening).
Tessarin* SkinOfPage();

// The page's dialog procedure: initialisation remembers its parameter (the modifier); commands
// run the buttons; both answer TRUE, every other message FALSE.
INT_PTR TessarinPageDlgProc(HWND page, UINT msg, WPARAM wParam, LPARAM lParam);
