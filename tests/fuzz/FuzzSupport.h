// Shared by the fuzz targets: an input read as a few numbers and texts, a
// destination buffer with a guard after it, and a check that names what
// failed before it stops the run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KORVID_FUZZ_POISON(at, n) ASAN_POISON_MEMORY_REGION(at, n)
#define KORVID_FUZZ_UNPOISON(at, n) ASAN_UNPOISON_MEMORY_REGION(at, n)
#endif
#endif
#ifndef KORVID_FUZZ_POISON
#define KORVID_FUZZ_POISON(at, n) ((void)(at), (void)(n))
#define KORVID_FUZZ_UNPOISON(at, n) ((void)(at), (void)(n))
#endif

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// Reads the input from the front; whatever is missing at the end reads as
// zero bytes, so every input is a valid one.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    bool Bool() { return (Byte() & 1) != 0; }
    // Little-endian, low part first.
    uint32_t U16() {
        uint32_t low = Byte();
        return low | static_cast<uint32_t>(Byte()) << 8;
    }
    uint32_t U32() {
        uint32_t low = U16();
        return low | U16() << 16;
    }
    uint64_t U64() {
        uint64_t low = U32();
        return low | static_cast<uint64_t>(U32()) << 32;
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // The bytes up to the next zero byte (which is skipped), at most `most`
    // of them; never holds a zero.
    std::string Text(size_t most = SIZE_MAX) {
        std::string text;
        while (at_ < size_ && data_[at_] != 0 && text.size() < most)
            text.push_back(static_cast<char>(data_[at_++]));
        if (at_ < size_ && data_[at_] == 0)
            ++at_;
        return text;
    }
    // All that is left, zeros included.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(data_ + at_), size_ - at_);
        at_ = size_;
        return rest;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// `size` bytes exactly as the caller sizes its buffer, filled with `fill`,
// then a guard. Under AddressSanitizer the guard is poisoned as well, so a
// write into it is reported where it happens.
class Guarded {
  public:
    static constexpr size_t kGuard = 16;
    static constexpr char kGuardByte = '\x5A';
    static constexpr char kFill = '\x7E';
    explicit Guarded(size_t size, char fill = kFill)
        : size_(size), bytes_(new char[size + kGuard]) {
        std::memset(bytes_, fill, size);
        std::memset(bytes_ + size, kGuardByte, kGuard);
        KORVID_FUZZ_POISON(bytes_ + size, kGuard);
    }
    // Holds `text`, cut to fit with its terminator.
    Guarded(size_t size, const std::string& text) : Guarded(size) {
        if (size == 0)
            return;
        size_t n = text.size() < size ? text.size() : size - 1;
        std::memcpy(bytes_, text.data(), n);
        bytes_[n] = 0;
    }
    ~Guarded() {
        KORVID_FUZZ_UNPOISON(bytes_ + size_, kGuard);
        delete[] bytes_;
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;

    char* data() { return bytes_; }
    size_t size() const { return size_; }
    // The text up to the first zero; a buffer without one fails the check.
    std::string Text() const {
        const void* end = std::memchr(bytes_, 0, size_);
        FUZZ_CHECK(end != nullptr);
        return std::string(bytes_, static_cast<size_t>(static_cast<const char*>(end) - bytes_));
    }
    bool GuardIntact() const {
        KORVID_FUZZ_UNPOISON(bytes_ + size_, kGuard);
        bool intact = true;
        for (size_t i = 0; i < kGuard; ++i)
            intact = intact && bytes_[size_ + i] == kGuardByte;
        KORVID_FUZZ_POISON(bytes_ + size_, kGuard);
        return intact;
    }

  private:
    size_t size_;
    char* bytes_;
};

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c + 32);
    return text;
}

} // namespace fuzz
