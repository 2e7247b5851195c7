// The address space left to the process, and the guard that keeps an edit
// from adding more text than the editor control can hold: the control ends
// the process when it runs out, so a change that would not fit is refused
// with a notice before it is made.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Free address space of the process now (GlobalMemoryStatusEx).
uint64_t AvailableAddressSpace();
// For tests: the free address space is taken as `bytes` from now on; 0
// returns to the real figure.
void SetAvailableAddressSpaceForTest(uint64_t bytes);

// Whether the editor wraps its lines (wrapped text costs more).
bool EditorWraps(HWND editor);

// Whether text costing `cost` more (MemoryBudget) fits; if not, tells the
// user that the change was not made and returns false.
bool GrowthAllowed(uint64_t cost);
// The same for `length` UTF-16 characters going into `editor`.
bool TextGrowthAllowed(HWND editor, const char16_t* text, std::size_t length);

// Whether the editor's text, written to `path`, can be laid out again in a
// new editor that wraps as `willWrap` says once the old one (wrapping as
// `wasWrapped`) is gone; if not, tells the user and returns false. A
// rebuild must never cut the text, so it is not started.
bool RebuildFits(const char* path, bool wasWrapped, bool willWrap, bool unicode);
