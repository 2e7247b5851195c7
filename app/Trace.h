// Start-up trace for the benchmark build (Korvid_trace.exe): each point
// appends its name and the milliseconds since the process was created to
// the file named by KORVID_TRACE_FILE. In the program itself the points
// compile to nothing.
#pragma once

#ifdef KORVID_TRACE
void TracePoint(const char* name);
#define KORVID_TRACE_POINT(name) TracePoint(name)
#else
#define KORVID_TRACE_POINT(name) ((void)0)
#endif
