#include "document/Utf8.h"

void Utf8Reader::Put(uint32_t code, std::string* out) const {
    if (out == nullptr)
        return;
    auto unit = [out](uint32_t u) {
        out->push_back(static_cast<char>(u & 0xFF));
        out->push_back(static_cast<char>(u >> 8));
    };
    if (code < 0x10000) {
        unit(code);
    } else {
        unit(0xD800 + ((code - 0x10000) >> 10));
        unit(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
}

// The bytes held are no sequence: each stands for itself.
void Utf8Reader::Reject(std::string* out) {
    invalid_ = true;
    for (std::size_t i = 0; i < held_; ++i)
        Put(fallback_ != nullptr ? fallback_[bytes_[i] - 0x80] : bytes_[i], out);
    held_ = 0;
}

void Utf8Reader::Byte(uint8_t b, std::string* out) {
    if (held_ > 0) {
        if (b >= low_ && b <= high_) {
            bytes_[held_++] = b;
            code_ = (code_ << 6) | (b & 0x3F);
            low_ = 0x80, high_ = 0xBF;
            if (held_ == length_) {
                Put(code_, out);
                held_ = 0;
                multiByte_ = true;
            }
            return;
        }
        Reject(out); // and `b` starts afresh
    }
    if (b < 0x80) {
        Put(b, out);
        return;
    }
    length_ = b >= 0xC2 && b <= 0xDF   ? 2
              : b >= 0xE0 && b <= 0xEF ? 3
              : b >= 0xF0 && b <= 0xF4 ? 4
                                       : 0;
    bytes_[0] = b;
    held_ = 1;
    if (length_ == 0) {
        Reject(out);
        return;
    }
    // The second byte rules out overlong forms, surrogates and codes above
    // U+10FFFF.
    low_ = b == 0xE0 ? 0xA0 : b == 0xF0 ? 0x90 : 0x80;
    high_ = b == 0xED ? 0x9F : b == 0xF4 ? 0x8F : 0xBF;
    code_ = b & (0x7Fu >> length_);
}

void Utf8Reader::Feed(const uint8_t* data, std::size_t size, std::string* out) {
    for (std::size_t i = 0; i < size; ++i) {
        if (held_ == 0 && data[i] < 0x80) { // the common run of plain ASCII
            std::size_t end = i;
            while (end < size && data[end] < 0x80)
                ++end;
            if (out != nullptr)
                for (std::size_t k = i; k < end; ++k) {
                    out->push_back(static_cast<char>(data[k]));
                    out->push_back(0);
                }
            i = end - 1;
            continue;
        }
        Byte(data[i], out);
    }
}

void Utf8Reader::Finish(std::string* out) {
    if (held_ > 0)
        Reject(out);
}

void Utf8Writer::Encode(uint32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// A lone surrogate is written as its own code, so nothing is lost.
void Utf8Writer::Unit(uint16_t unit, std::string& out) {
    if (highSurrogate_ != 0) {
        uint16_t high = highSurrogate_;
        highSurrogate_ = 0;
        if (unit >= 0xDC00 && unit <= 0xDFFF) {
            Encode(0x10000 + ((static_cast<uint32_t>(high) - 0xD800) << 10) + (unit - 0xDC00), out);
            return;
        }
        Encode(high, out);
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
        highSurrogate_ = unit;
        return;
    }
    Encode(unit, out);
}

void Utf8Writer::Feed(const uint8_t* data, std::size_t size, std::string& out) {
    units_.Feed(data, size, [&](uint16_t unit) { Unit(unit, out); });
}

void Utf8Writer::Finish(std::string& out) {
    if (highSurrogate_ != 0) {
        Encode(highSurrogate_, out);
        highSurrogate_ = 0;
    }
    uint8_t odd = 0;
    units_.TakeOddByte(&odd); // half a unit is no character
}
