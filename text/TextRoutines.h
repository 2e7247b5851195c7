// String and number routines on zero-terminated 8-bit strings in
// caller-owned buffers. None of them allocates; the caller guarantees that
// every result and its terminator fit the destination.
#pragma once

#include <cstdint>

uint32_t TextLength(const char* text);
uint32_t TextCopy(const char* source, char* destination);
void TextAppend(char* destination, const char* source);
void TextSlice(const char* source, char* destination, uint32_t start, uint32_t count);
char* TextTail(const char* source, char* destination, uint32_t n);
char* TextReverse(const char* source, char* destination);
char* TextLowerAscii(char* text);
// Positions count from 1. Returns the position, 0 when not found, -1 when the
// pattern is as long as the text or longer, -2 when start leaves no room.
int32_t TextSearch(int32_t start, const char* text, const char* pattern);
int32_t DecimalToInt(const char* text);
void IntToDecimal(int32_t value, char* destination);
// Unsigned 64-bit number to decimal text: file sizes of any length.
void UInt64ToDecimal(uint64_t value, char* destination);

// Bounded copy for fixed fields: copies at most size - 1 bytes and always
// terminates. Returns 1 when the whole source fitted, 0 when it was cut.
int TextCopyBounded(const char* source, char* destination, uint32_t size);
