// The one definition of Korvid's version. The resource scripts, the C++
// sources, CMakeLists.txt and scripts/package.sh all read it from here.
#ifndef KORVID_VERSION_H
#define KORVID_VERSION_H

#define KORVID_VERSION_MAJOR 1
#define KORVID_VERSION_MINOR 9
#define KORVID_VERSION_TEXT "1.9"

// "Korvid 1.9": the settings sheet, the status bar and the tray tip.
#define KORVID_NAME_AND_VERSION "Korvid " KORVID_VERSION_TEXT

#endif
