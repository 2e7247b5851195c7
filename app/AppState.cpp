#include "app/AppState.h"

AppRecord* appRecord;
AppState app;
UINT WM_TASKBAR_CREATED;
