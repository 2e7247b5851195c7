#include "document/MemoryBudget.h"

namespace {

// Measured under Wine's control (RichEd20, RichEdit20A in a window of 880
// by 640 pixels, texts of 0.5 to 2 MB): address space taken per byte of
// text in lines of the given length (line break included), word wrap on:
//   length  2 (empty)    7    60    600   1500   6000   20000   1000000
//   per byte      845  349   101    110    224    753    2350      1277
// Every paragraph has a fixed cost; a wrapped one then costs more per
// character the longer it is (about L*L/8 in all for L characters, up to
// some tens of thousands). Each rate is held above its measurement, and
// the rate of the longest lines above the worst one seen.
constexpr uint64_t kParagraphCost = 2500;
constexpr uint64_t kShortLineRate = 60;
constexpr uint64_t kLongestLineRate = 2700;
// Without wrap a line is one row whatever its length (6000: 27 per byte).
constexpr uint64_t kUnwrappedMostRate = 110;

constexpr uint64_t kMegabyte = 1024 * 1024;
constexpr uint64_t kMarginFloor = 256 * kMegabyte;

uint64_t Rate(uint64_t chars, bool wrapped) {
    uint64_t rate = kShortLineRate + chars / 12;
    if (!wrapped)
        return rate < kUnwrappedMostRate ? rate : kUnwrappedMostRate;
    uint64_t longLine = chars * 2 / 13;
    if (longLine > rate)
        rate = longLine;
    return rate < kLongestLineRate ? rate : kLongestLineRate;
}

} // namespace

uint64_t ParagraphCost(uint64_t chars, bool wrapped) {
    return kParagraphCost + chars * Rate(chars, wrapped);
}

void TextCostMeter::Character(uint16_t c) {
    // CR, LF and CR LF each end a paragraph.
    if (c == '\n' && afterCr_) {
        afterCr_ = false;
        return;
    }
    afterCr_ = c == '\r';
    if (c == '\r' || c == '\n') {
        closed_ += ParagraphCost(openChars_, wrapped_);
        openChars_ = 0;
    } else {
        ++openChars_;
    }
}

void TextCostMeter::Feed(const uint8_t* bytes, std::size_t size) {
    for (std::size_t i = 0; i < size; ++i) {
        if (!unicode_) {
            Character(bytes[i]);
        } else if (!oddByte_) {
            low_ = bytes[i];
            oddByte_ = true;
        } else {
            Character(static_cast<uint16_t>(low_ | (bytes[i] << 8)));
            oddByte_ = false;
        }
    }
}

uint64_t TextCostMeter::Cost() const { return closed_ + ParagraphCost(openChars_, wrapped_); }

uint64_t MemoryMargin(uint64_t available) {
    // A quarter of the free space, and at least a quarter gigabyte. After a
    // load that fills the rest the program still has room for the error of
    // the prediction (60-character lines: 104.9 bytes a byte predicted,
    // 101.3 measured over 32 MB), for its own copies of the text (a Replace
    // All takes about 8 bytes a character, 8% of what the control takes)
    // and for the file dialogs and their libraries.
    uint64_t share = available / 4;
    return share > kMarginFloor ? share : kMarginFloor;
}

bool CostFits(uint64_t cost, uint64_t available) {
    uint64_t margin = MemoryMargin(available);
    return available > margin && cost <= available - margin;
}
