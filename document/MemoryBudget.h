// How much address space the rich-edit control will take for a text, and
// whether that fits in what the process has left. Window-free: the numbers
// come from the caller (GlobalMemoryStatusEx on Windows).
//
// The control's cost depends on the shape of the text more than on its
// size: every paragraph costs about two kilobytes, and a word-wrapped
// paragraph costs more per character the longer it is (a 6000-character
// line about seven times as much as a 60-character one). So the cost is
// worked out from the text itself, paragraph by paragraph, as it passes.
#pragma once

#include <cstddef>
#include <cstdint>

// Address space of the control for one paragraph of `chars` characters.
uint64_t ParagraphCost(uint64_t chars, bool wrapped);

// Counts the cost of a text fed in pieces. A piece may end inside a
// paragraph; the open paragraph is counted at its length so far, so the
// cost after each piece covers all the text given.
class TextCostMeter {
  public:
    // `unicode`: the bytes are UTF-16 little-endian in whole units.
    TextCostMeter(bool wrapped, bool unicode) : wrapped_(wrapped), unicode_(unicode) {}
    void Feed(const uint8_t* bytes, std::size_t size);
    uint64_t Cost() const;

  private:
    void Character(uint16_t c);
    bool wrapped_;
    bool unicode_;
    bool afterCr_ = false;
    bool oddByte_ = false;
    uint8_t low_ = 0;
    uint64_t closed_ = 0;
    uint64_t openChars_ = 0;
};

// Address space kept free beyond the control's predicted cost: for the
// error of the prediction, the program's own copies of the text (Replace
// All, clipboard) and the system's pop-ups.
uint64_t MemoryMargin(uint64_t available);

// Whether text costing `cost` fits in `available` bytes of free address
// space with the margin kept.
bool CostFits(uint64_t cost, uint64_t available);
