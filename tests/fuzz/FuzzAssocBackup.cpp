// Any backup file reads without overrunning, and what it says survives
// being written and read again.
#include "shell/AssociationsCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    AssocBackup read = ParseAssocBackup(data, size);
    std::vector<uint8_t> image = FormatAssocBackup(read);
    if (image.size() != kBackupFileSize)
        __builtin_trap();
    AssocBackup again = ParseAssocBackup(image.data(), image.size());
    for (int i = 0; i < kStandardTypes; ++i)
        if (again.taken[i] != read.taken[i] || again.noClass[i] != read.noClass[i] ||
            again.original[i] != read.original[i] || read.original[i].size() >= kBackupRecordSize)
            __builtin_trap();
    return 0;
}
