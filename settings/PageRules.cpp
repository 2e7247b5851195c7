#include "settings/PageRules.h"

#include "text/TextRoutines.h"

#include <cstdint>

namespace {

constexpr int32_t kFallbackPercent = 70;
constexpr int32_t kFewestMinutes = 1;
constexpr int32_t kMostMinutes = 180;
constexpr uint32_t kExtensionListLength = 11;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

} // namespace

uint32_t ReadTypedNumber(const char* text) {
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    if (*p < '0' || *p > '9')
        return 0;
    uint64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + static_cast<uint64_t>(*p - '0');
        if (value > UINT32_MAX)
            value = UINT32_MAX; // stays saturated for the remaining digits
    }
    while (IsBlank(*p))
        ++p;
    return *p == 0 ? static_cast<uint32_t>(value) : 0;
}

int32_t NumberField(uint32_t typed) {
    return typed > static_cast<uint32_t>(INT32_MAX) ? INT32_MAX : static_cast<int32_t>(typed);
}

int32_t StoredWindowPercent(uint32_t typed) {
    return typed == 0 || typed > 100 ? kFallbackPercent : static_cast<int32_t>(typed);
}

int32_t ScreenShare(int32_t side, int32_t percent) {
    if (percent == 100)
        return side;
    int64_t share = static_cast<int64_t>(side) * percent / 100;
    if (share > INT32_MAX)
        return INT32_MAX;
    if (share < INT32_MIN)
        return INT32_MIN;
    return static_cast<int32_t>(share);
}

int32_t StoredAutoSaveMinutes(uint32_t typed, int32_t stored) {
    // The page shows the stored value as an unsigned number, so that is
    // what an untouched field reads back as.
    if (typed == static_cast<uint32_t>(stored))
        return stored;
    if (typed < static_cast<uint32_t>(kFewestMinutes))
        return kFewestMinutes;
    return typed > static_cast<uint32_t>(kMostMinutes) ? kMostMinutes : static_cast<int32_t>(typed);
}

uint32_t KilobytesShown(int32_t bytes) { return static_cast<uint32_t>(bytes) >> 10; }

int32_t BytesFromKilobytes(uint32_t kilobytes) {
    constexpr uint32_t kMostKilobytes = static_cast<uint32_t>(INT32_MAX) >> 10;
    return static_cast<int32_t>((kilobytes > kMostKilobytes ? kMostKilobytes : kilobytes) << 10);
}

void PadExtensionList(char* list, uint32_t size) {
    uint32_t length = TextLength(list);
    while (length < kExtensionListLength && length + 1 < size)
        list[length++] = ' ';
    list[length] = 0;
}

void EndWithBlank(char* text, uint32_t size) {
    if (size < 2)
        return;
    uint32_t length = TextLength(text);
    if (length > 0 && text[length - 1] == ' ')
        return;
    if (length + 1 >= size)
        length = size - 2;
    text[length] = ' ';
    text[length + 1] = 0;
}
