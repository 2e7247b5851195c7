// Line-break styles of plain-text files. The editor control holds every
// line break as one mark and writes CR LF; a file that used LF or CR alone
// gets its own style back when it is saved.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

enum LineBreakStyle { BreaksCrLf = 0, BreaksLf = 1, BreaksCr = 2 };

// The style of the first line break in `data`, or -1 when there is none.
// `wide` reads UTF-16 LE units. A CR at the very end counts as CR alone.
int DetectLineBreaks(const uint8_t* data, std::size_t size, bool wide);

// UTF-16 LE units from pieces of any size: a unit split between two pieces
// is joined first.
class WideUnits {
  public:
    template <typename Each> void Feed(const uint8_t* data, std::size_t size, Each each) {
        std::size_t i = 0;
        if (hasOddByte_ && size > 0) {
            hasOddByte_ = false;
            each(static_cast<uint16_t>(oddByte_ | (data[0] << 8)));
            i = 1;
        }
        for (; i + 2 <= size; i += 2)
            each(static_cast<uint16_t>(data[i] | (data[i + 1] << 8)));
        if (i < size) {
            hasOddByte_ = true;
            oddByte_ = data[i];
        }
    }
    // The last byte when the text ended inside a unit; the piece is done.
    bool TakeOddByte(uint8_t* byte) {
        *byte = oddByte_;
        return std::exchange(hasOddByte_, false);
    }

  private:
    bool hasOddByte_ = false;
    uint8_t oddByte_ = 0;
};

// Rewrites the control's CR LF pairs in the chosen style as the text
// passes through in pieces of any size.
class LineBreakWriter {
  public:
    LineBreakWriter(LineBreakStyle style, bool wide) : style_(style), wide_(wide) {}
    // Appends the converted form of the next piece to `out`.
    void Feed(const uint8_t* data, std::size_t size, std::string& out);
    // Appends what is still held back at the end of the text.
    void Finish(std::string& out);

  private:
    void Unit(uint16_t unit, std::string& out);
    void Put(uint16_t unit, std::string& out);
    LineBreakStyle style_;
    bool wide_;
    bool pendingCr_ = false;
    WideUnits units_;
};

// The editor cannot hold a NUL character: each one (a zero byte, or a zero
// UTF-16 unit at an even offset when `wide`) becomes `standIn` in place.
// With `controlsToo` (a text already shown as binary content) so does every
// other control character but tab, line feed and carriage return: the
// editor measures those slowly, and they show as nothing useful anyway.
// Returns how many characters were replaced.
std::size_t ReplaceNulCharacters(uint8_t* data, std::size_t size, bool wide, uint16_t standIn,
                                 bool controlsToo = false);
