#include "text/TextRoutines.h"

uint32_t TextLength(const char* text) {
    uint32_t n = 0;
    while (text[n] != 0)
        ++n;
    return n;
}

uint32_t TextCopy(const char* source, char* destination) {
    uint32_t n = 0;
    while ((destination[n] = source[n]) != 0)
        ++n;
    return n;
}

void TextAppend(char* destination, const char* source) {
    TextCopy(source, destination + TextLength(destination));
}

void TextSlice(const char* source, char* destination, uint32_t start, uint32_t count) {
    // A start past the end gives an empty slice, never a read past the
    // terminator. Copying forwards keeps the in-place use (start 0, same
    // buffer) safe.
    for (uint32_t k = 0; k < start; ++k)
        if (source[k] == 0) {
            destination[0] = 0;
            return;
        }
    uint32_t i = 0;
    for (; i < count; ++i) {
        char c = source[start + i];
        if (c == 0)
            break;
        destination[i] = c;
    }
    destination[i] = 0;
}

char* TextTail(const char* source, char* destination, uint32_t n) {
    uint32_t length = TextLength(source);
    uint32_t from = n >= length ? 0 : length - n;
    TextCopy(source + from, destination);
    return destination;
}

char* TextReverse(const char* source, char* destination) {
    uint32_t length = TextCopy(source, destination);
    for (uint32_t i = 0, j = length; i + 1 < j; ++i, --j) {
        char t = destination[i];
        destination[i] = destination[j - 1];
        destination[j - 1] = t;
    }
    return destination;
}

char* TextLowerAscii(char* text) {
    for (char* p = text; *p != 0; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 'A' && c <= 'Z')
            *p = static_cast<char>(c + 32);
    }
    return text;
}

int32_t TextSearch(int32_t start, const char* text, const char* pattern) {
    if (start < 1)
        return -2;
    int64_t t = TextLength(text);
    int64_t p = TextLength(pattern);
    if (p == 0)
        return 0;
    if (p >= t)
        return -1;
    if (static_cast<int64_t>(start) - 1 > t - p)
        return -2;
    for (int64_t at = start - 1; at <= t - p; ++at) {
        int64_t k = 0;
        while (k < p && text[at + k] == pattern[k])
            ++k;
        if (k == p)
            return static_cast<int32_t>(at + 1);
    }
    return 0;
}

int32_t DecimalToInt(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    bool negative = false;
    if (*p == '-') {
        negative = true;
        ++p;
    }
    uint32_t value = 0;
    for (; *p != 0; ++p)
        value = value * 10u + static_cast<uint8_t>(*p - 48);
    if (negative)
        value = 0u - value;
    return static_cast<int32_t>(value);
}

void IntToDecimal(int32_t value, char* destination) {
    uint32_t magnitude = static_cast<uint32_t>(value);
    char* out = destination;
    if (value < 0) {
        *out++ = '-';
        magnitude = 0u - magnitude;
    }
    char digits[11];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10u);
        magnitude /= 10u;
    } while (magnitude != 0);
    while (n > 0)
        *out++ = digits[--n];
    *out = 0;
}

void UInt64ToDecimal(uint64_t value, char* destination) {
    char digits[20];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10u);
        value /= 10u;
    } while (value != 0);
    char* out = destination;
    while (n > 0)
        *out++ = digits[--n];
    *out = 0;
}

int TextCopyBounded(const char* source, char* destination, uint32_t size) {
    if (size == 0)
        return 0;
    uint32_t i = 0;
    for (; i + 1 < size && source[i] != 0; ++i)
        destination[i] = source[i];
    destination[i] = 0;
    return source[i] == 0 ? 1 : 0;
}
