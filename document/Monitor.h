// The watch for outside changes to the open file: a background thread waits
// on a change notification for the file's folder (with a five-minute
// fallback) and asks the user when the file's last-write time has moved.
#pragma once

#include <windows.h>

// Stops the watch and, with "Monitor File" on and a named readable file,
// starts it again from the file's current last-write time (which it also
// stores in the document's `fileWriteTime`). Interface thread only.
void RestartFileMonitor();

// As RestartFileMonitor, after the program wrote some other file than the
// document (a copy of it): a watch of the same file carries on from the
// write time it had seen, so an outside change that came meanwhile is still
// reported. The document's `fileWriteTime` is left as it was.
void ResumeFileMonitor();

// Ends the watching thread, if any, before the caller goes on: the thread
// is signalled, a question it has open is closed, and the call returns once
// the thread has ended. Interface thread only.
void StopFileMonitor();

DWORD WINAPI MonitorThread(LPVOID job);

// Set while a watching thread runs.
bool MonitorRunning();

// How many wake-ups the current or last thread has fully handled: tests
// use it to know that a change has been looked at.
LONG MonitorWakeCount();

// How many watching threads had to be ended by force, not having ended
// within ten seconds of their stop signal.
LONG MonitorForcedStops();
