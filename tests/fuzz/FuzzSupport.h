// Shared by the fuzz targets: an input read as a few numbers and texts, a
// destination buffer with a guard after it, a check that names what failed
// before it stops the run, and the entry point that lets the first byte
// pick one of a target's tests.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#define KORVID_FUZZ_POISON(at, n, on)                                                              \
    ((on) ? ASAN_POISON_MEMORY_REGION(at, n) : ASAN_UNPOISON_MEMORY_REGION(at, n))
#endif
#endif
#ifndef KORVID_FUZZ_POISON
#define KORVID_FUZZ_POISON(at, n, on) ((void)(at), (void)(n), (void)(on))
#endif

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition)) {                                                                        \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

// The target's entry point: the first byte picks one of the tests given.
#define FUZZ_TESTS(...)                                                                            \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                      \
        static void (*const tests[])(Input&) = {__VA_ARGS__};                                      \
        Input in(data, size);                                                                      \
        tests[in.Byte() % (sizeof tests / sizeof tests[0])](in);                                   \
        return 0;                                                                                  \
    }

// Reads the input from the front; whatever is missing at the end reads as
// zero bytes, so every input is a valid one.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Little-endian, low byte first.
    template <typename T> T Number() {
        uint64_t value = 0;
        for (size_t i = 0; i < sizeof(T); ++i)
            value |= static_cast<uint64_t>(Byte()) << (8 * i);
        return static_cast<T>(value);
    }
    uint32_t U16() { return Number<uint16_t>(); }
    uint64_t U64() { return Number<uint64_t>(); }
    int32_t I32() { return Number<int32_t>(); }
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

// `size` bytes exactly as the caller sizes its buffer, filled with kFill or
// holding `text` cut to fit with its terminator, then a guard that is checked
// whenever the text is read and when the buffer goes. Under AddressSanitizer
// the guard is poisoned as well, so a write into it is reported where it
// happens.
class Guarded {
  public:
    static constexpr size_t kGuard = 16;
    static constexpr char kGuardByte = '\x5A', kFill = '\x7E';
    explicit Guarded(size_t size) : size_(size), bytes_(size + kGuard, kFill) {
        std::fill(bytes_.begin() + size, bytes_.end(), kGuardByte);
        KORVID_FUZZ_POISON(data() + size_, kGuard, true);
    }
    Guarded(size_t size, const std::string& text) : Guarded(size) {
        size_t n = std::min(text.size(), size - (size > 0));
        std::memcpy(data(), text.data(), n);
        if (size > 0)
            bytes_[n] = 0;
    }
    ~Guarded() {
        bool intact = GuardIntact();
        KORVID_FUZZ_POISON(data() + size_, kGuard, false);
        FUZZ_CHECK(intact);
    }
    Guarded(const Guarded&) = delete;
    Guarded& operator=(const Guarded&) = delete;
    char* data() { return bytes_.data(); }
    size_t size() const { return size_; }
    // The text up to the first zero; a buffer without one fails the check.
    std::string Text() {
        FUZZ_CHECK(GuardIntact());
        const void* end = std::memchr(bytes_.data(), 0, size_);
        FUZZ_CHECK(end != nullptr);
        return std::string(bytes_.data(), static_cast<const char*>(end) - bytes_.data());
    }
    bool GuardIntact() {
        KORVID_FUZZ_POISON(data() + size_, kGuard, false);
        bool intact = std::all_of(bytes_.begin() + size_, bytes_.end(),
                                  [](char c) { return c == kGuardByte; });
        KORVID_FUZZ_POISON(data() + size_, kGuard, true);
        return intact;
    }

  private:
    size_t size_;
    std::vector<char> bytes_;
};

inline std::string LowerAscii(std::string text) {
    for (char& c : text)
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
    return text;
}
