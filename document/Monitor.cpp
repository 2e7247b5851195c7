#include "document/Monitor.h"

// Filled in with the watch for outside changes.
void RestartFileMonitor() {}
