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
    if (wide_) {
        units_.Feed(data, size, [&](uint16_t unit) { Unit(unit, out); });
    } else {
        for (std::size_t i = 0; i < size; ++i)
            Unit(data[i], out);
    }
}

void LineBreakWriter::Finish(std::string& out) {
    if (pendingCr_) {
        pendingCr_ = false;
        Put('\r', out);
    }
    uint8_t odd = 0;
    if (units_.TakeOddByte(&odd))
        out.push_back(static_cast<char>(odd));
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
