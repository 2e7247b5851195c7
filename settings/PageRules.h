// The value rules of the settings pages, window-free: how typed numbers
// are read, clamped and converted, and how texts are completed before they
// go into the record.
#pragma once

#include <cstdint>

// A number typed into a page field. Blanks around the digits are allowed;
// any other text (letters, a sign, nothing at all) reads as 0, and a number
// too large for 32 bits reads as the largest one rather than wrapping.
uint32_t ReadTypedNumber(const char* text);

// A typed number as a 32-bit field of the record holds it: never negative.
int32_t NumberField(uint32_t typed);

// The percent of the screen stored for the "Percent" window size: 0 and
// anything above 100 fall back to 70.
int32_t StoredWindowPercent(uint32_t typed);

// The width or height that `percent` of a screen side gives (rounded down);
// 100 is the whole side.
int32_t ScreenShare(int32_t side, int32_t percent);

// The minutes stored from the Auto Save page: a changed value is clamped to
// 1..180, an unchanged one is kept as it is, even outside that range.
int32_t StoredAutoSaveMinutes(uint32_t typed, int32_t stored);

// Size limits are kept in bytes and shown in units of 1024 bytes.
uint32_t KilobytesShown(int32_t bytes);
int32_t BytesFromKilobytes(uint32_t kilobytes);

// An extension list is padded with blanks to at least 11 characters, so that
// a short extension never meets a list shorter than itself. `size` is the
// list's buffer size.
void PadExtensionList(char* list, uint32_t size);

// The print suffix goes in front of the file name, so it ends with a blank:
// one is appended when missing (an empty suffix becomes one blank). In a full
// buffer the last character gives way to the blank.
void EndWithBlank(char* text, uint32_t size);
