#include "tools/Tools.h"

// Filled in with the bookmark work.
void ScanBookmarks() {}
void GotoBookmark(int) {}
void SetBookmark(int) {}
