#include "document/LineBreaks.h"

int DetectLineBreaks(const uint8_t* data, std::size_t size, bool wide) {
    const std::size_t step = wide ? 2 : 1;
    auto unitAt = [&](std::size_t i) -> int {
        if (i + step > size)
            return -1;
        return wide ? (data[i] | (data[i + 1] << 8)) : data[i];
    };
    for (std::size_t i = 0; i + step <= size; i += step) {
        int u = unitAt(i);
        if (u == '\n')
            return BreaksLf;
        if (u == '\r')
            return unitAt(i + step) == '\n' ? BreaksCrLf : BreaksCr;
    }
    return -1;
}

void LineBreakWriter::Put(uint16_t unit, std::string& out) {
    out.push_back(static_cast<char>(unit & 0xFF));
    if (wide_)
        out.push_back(static_cast<char>(unit >> 8));
}

void LineBreakWriter::Unit(uint16_t unit, std::string& out) {
    if (pendingCr_) {
        pendingCr_ = false;
        if (unit == '\n') {
            Put(style_ == BreaksLf ? '\n' : '\r', out);
            return;
        }
        Put('\r', out);
    }
    if (unit == '\r') {
        pendingCr_ = true;
        return;
    }
    Put(unit, out);
}

void LineBreakWriter::Feed(const uint8_t* data, std::size_t size, std::string& out) {
    if (style_ == BreaksCrLf) {
        out.append(reinterpret_cast<const char*>(data), size);
        return;
    }
    std::size_t i = 0;
    if (wide_) {
        if (hasOddByte_ && size > 0) {
            hasOddByte_ = false;
            Unit(static_cast<uint16_t>(oddByte_ | (data[0] << 8)), out);
            i = 1;
        }
        for (; i + 2 <= size; i += 2)
            Unit(static_cast<uint16_t>(data[i] | (data[i + 1] << 8)), out);
        if (i < size) {
            hasOddByte_ = true;
            oddByte_ = data[i];
        }
    } else {
        for (; i < size; ++i)
            Unit(data[i], out);
    }
}

void LineBreakWriter::Finish(std::string& out) {
    if (pendingCr_) {
        pendingCr_ = false;
        Put('\r', out);
    }
    if (hasOddByte_) {
        hasOddByte_ = false;
        out.push_back(static_cast<char>(oddByte_));
    }
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
    std::size_t i = 0;
    if (hasOddByte_ && size > 0) {
        hasOddByte_ = false;
        Unit(static_cast<uint16_t>(oddByte_ | (data[0] << 8)), out);
        i = 1;
    }
    for (; i + 2 <= size; i += 2)
        Unit(static_cast<uint16_t>(data[i] | (data[i + 1] << 8)), out);
    if (i < size) {
        hasOddByte_ = true;
        oddByte_ = data[i];
    }
}

void Utf8Writer::Finish(std::string& out) {
    if (highSurrogate_ != 0) {
        Encode(highSurrogate_, out);
        highSurrogate_ = 0;
    }
    hasOddByte_ = false;
}

std::size_t ReplaceNulCharacters(uint8_t* data, std::size_t size, bool wide, uint16_t standIn,
                                 bool controlsToo) {
    auto replaced = [controlsToo](unsigned c) {
        return c == 0 || (controlsToo && c < 0x20 && c != '\t' && c != '\n' && c != '\r');
    };
    std::size_t count = 0;
    if (!wide) {
        for (std::size_t i = 0; i < size; ++i)
            if (replaced(data[i])) {
                data[i] = static_cast<uint8_t>(standIn);
                ++count;
            }
        return count;
    }
    for (std::size_t i = 0; i + 2 <= size; i += 2)
        if (data[i + 1] == 0 && replaced(data[i])) {
            data[i] = static_cast<uint8_t>(standIn & 0xFF);
            data[i + 1] = static_cast<uint8_t>(standIn >> 8);
            ++count;
        }
    return count;
}
