#include "document/MemoryBudget.h"

namespace {

// Measured under Wine's control (RichEd20, RichEdit20A in a window of 880
// by 640 pixels, 1 MB texts): address space taken per character of text in
// lines of the given length, word wrap on, paragraph cost included:
//   length   2 (empty lines)   7     60    600   6000   20000   1000000
//   bytes    845 per byte     349    101   110    753    2350      1277
// A wrapped paragraph costs about L*L/8 bytes over L characters up to some
// tens of thousands of characters; the rate is held above each measurement
// and capped above the worst one seen.
constexpr uint64_t kShortLineRate = 120;
constexpr uint64_t kLongestLineRate = 2700;
// Without wrap a line is one row whatever its length (6000: 27 per byte).
constexpr uint64_t kUnwrappedRate = 120;
// Every paragraph, even an empty one.
constexpr uint64_t kParagraphCost = 2048;

constexpr uint64_t kMegabyte = 1024 * 1024;

uint64_t WrappedRate(uint64_t chars) {
    uint64_t rate = chars * 2 / 15;
    if (rate < kShortLineRate)
        return kShortLineRate;
    return rate > kLongestLineRate ? kLongestLineRate : rate;
}

} // namespace

uint64_t ParagraphCost(uint64_t chars, bool wrapped) {
    uint64_t rate = wrapped ? WrappedRate(chars) : kUnwrappedRate;
    return kParagraphCost + chars * rate;
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
    // A fixed floor for the program's own needs, and a share of what is
    // left for the error of the prediction.
    uint64_t share = available / 8;
    return share > 160 * kMegabyte ? share : 160 * kMegabyte;
}

bool CostFits(uint64_t cost, uint64_t available) {
    uint64_t margin = MemoryMargin(available);
    return available > margin && cost <= available - margin;
}
