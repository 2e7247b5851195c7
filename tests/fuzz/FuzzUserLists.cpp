// Any definition file, cut into pieces anywhere, gives the same bounded
// lists: capacities in range, counts within them, every text terminated.
#include "tools/RunInfoCore.h"

#include <cstring>

namespace {

void Check(const UserListReader& r) {
    if (r.runCapacity < 10 || r.runCapacity > 199 || r.insertCapacity < 10 ||
        r.insertCapacity > 199)
        __builtin_trap();
    if (r.runFileCount < 0 || r.runFileCount > r.runCapacity || r.insertTextCount < 0 ||
        r.insertTextCount > r.insertCapacity)
        __builtin_trap();
    if (r.listsStarted && (r.runFiles.size() != static_cast<size_t>(r.runCapacity) ||
                           r.insertTexts.size() != static_cast<size_t>(r.insertCapacity)))
        __builtin_trap();
    for (const RunFileEntry& e : r.runFiles)
        if (memchr(e.caption, 0, sizeof e.caption) == nullptr ||
            memchr(e.target, 0, sizeof e.target) == nullptr)
            __builtin_trap();
    for (const InsertTextEntry& e : r.insertTexts)
        if (memchr(e.text, 0, sizeof e.text) == nullptr)
            __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    UserListReader whole;
    whole.Feed(data, size);
    Check(whole);
    if (size == 0)
        return 0;
    size_t cut = data[0] % size;
    UserListReader pieces;
    pieces.Feed(data, cut);
    pieces.Feed(data + cut, size - cut);
    if (pieces.runFileCount != whole.runFileCount ||
        pieces.insertTextCount != whole.insertTextCount ||
        pieces.runFiles.size() != whole.runFiles.size() ||
        (!whole.runFiles.empty() && memcmp(pieces.runFiles.data(), whole.runFiles.data(),
                                           whole.runFiles.size() * sizeof(RunFileEntry)) != 0) ||
        (!whole.insertTexts.empty() &&
         memcmp(pieces.insertTexts.data(), whole.insertTexts.data(),
                whole.insertTexts.size() * sizeof(InsertTextEntry)) != 0))
        __builtin_trap();
    return 0;
}
