#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>

namespace scenario {

// A modal message box, as MessageBoxW shows it, but never narrower than its
// whole title: the system sizes a box by its text and buttons alone, so a
// short text (" Errore n. 1251") under the program's longer name would cut
// the title. Such a box is widened, its button kept in the middle, before it
// appears. Returns when the user has dismissed it.
void show_message_box(HWND owner, const std::wstring& text, const wchar_t* title, UINT type);

}  // namespace scenario
