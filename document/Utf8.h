// UTF-8 text: telling it from 8-bit text, reading it into the editor's
// UTF-16 and writing the editor's UTF-16 back, in pieces of any size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/LineBreaks.h"

// Reads UTF-8 arriving in pieces of any size as UTF-16 LE. A sequence split
// between pieces waits for the rest. A byte that is not part of a valid
// sequence (a stray continuation, an overlong form, a surrogate, a code
// above U+10FFFF, a sequence cut short) becomes the character `fallback`
// gives for it (bytes 0x80 to 0xFF), so nothing is dropped. Without an
// output string the reader only checks.
class Utf8Reader {
  public:
    explicit Utf8Reader(const uint16_t* fallback = nullptr) : fallback_(fallback) {}
    void Feed(const uint8_t* data, std::size_t size, std::string* out);
    // The text ends here: a sequence still waiting is not valid.
    void Finish(std::string* out);
    // Every byte so far is part of a valid sequence; a sequence still
    // waiting for its next piece counts as valid.
    bool Valid() const { return !invalid_; }
    // At least one whole sequence of two or more bytes was read.
    bool MultiByte() const { return multiByte_; }
    // Bytes of a sequence waiting for the next piece.
    std::size_t Pending() const { return held_; }

  private:
    void Byte(uint8_t b, std::string* out);
    void Reject(std::string* out);
    void Put(uint32_t code, std::string* out) const;
    const uint16_t* fallback_;
    uint8_t bytes_[4] = {};
    std::size_t held_ = 0;
    std::size_t length_ = 0;
    uint8_t low_ = 0x80, high_ = 0xBF; // the range of the next byte
    uint32_t code_ = 0;
    bool invalid_ = false;
    bool multiByte_ = false;
};

// Turns UTF-16 LE bytes arriving in pieces of any size into UTF-8; a
// surrogate pair or a unit split between pieces is joined first.
class Utf8Writer {
  public:
    void Feed(const uint8_t* data, std::size_t size, std::string& out);
    void Finish(std::string& out);

  private:
    void Unit(uint16_t unit, std::string& out);
    static void Encode(uint32_t code, std::string& out);
    uint16_t highSurrogate_ = 0;
    WideUnits units_;
};
