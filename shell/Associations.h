// The shell's file associations, written to HKEY_CLASSES_ROOT as the
// settings give them.
#pragma once

#include <windows.h>

// Writes every association of the settings, records the classes the
// extensions had before in "KvRgBack.dat" the first time a type is
// changed, and tells the shell. Returns the number of keys or values that
// could not be written (0 when all went in).
int ApplyAssociations();

// The default value of `subkey` (no value name: the key's own value), read
// into or written from `buffer` (600 bytes). Writing creates the key; a
// read never does, and leaves the buffer as it was when there is no value.
// Returns whether the value was read or written.
bool RegAccessValue(HKEY root, const char* subkey, const char* valueName, char* buffer, bool write);
