// Shared by the fuzz targets: the input read as numbers and texts, a buffer
// with a guard after it, a check that names what failed, and the entry point
// whose first byte picks one of a target's tests.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#if __has_feature(address_sanitizer) // the fuzz targets are built with clang
#include <sanitizer/asan_interface.h>
#define KORVID_FUZZ_POISON(at, n, on)                                                              \
    ((on) ? ASAN_POISON_MEMORY_REGION(at, n) : ASAN_UNPOISON_MEMORY_REGION(at, n))
#else
#define KORVID_FUZZ_POISON(at, n, on) ((void)(at), (void)(n), (void)(on))
#endif

[[noreturn]] inline void FuzzFailed(const char* file, int line, const char* condition) {
    std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, condition);
    std::abort();
}
#define FUZZ_CHECK(condition) ((condition) ? (void)0 : FuzzFailed(__FILE__, __LINE__, #condition))

// The target's entry point: the first byte picks one of the tests given.
#define FUZZ_TESTS(...)                                                                            \
    extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {                      \
        static void (*const tests[])(Input&) = {__VA_ARGS__};                                      \
        Input in(data, size);                                                                      \
        tests[in.Byte() % (sizeof tests / sizeof tests[0])](in);                                   \
        return 0;                                                                                  \
    }

// The input from the front; what is missing reads as zeros: any input is valid.
class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint64_t Number(size_t bytes) { // little-endian, low byte first
        uint64_t value = 0;
        for (size_t i = 0; i < bytes; ++i)
            value |= static_cast<uint64_t>(Byte()) << (8 * i);
        return value;
    }
    uint32_t U16() { return static_cast<uint32_t>(Number(2)); }
    uint64_t U64() { return Number(8); }
    int32_t I32() { return static_cast<int32_t>(Number(4)); }
    // Up to the next zero byte (skipped), at most `most` bytes.
    std::string Text(size_t most = SIZE_MAX, bool toZero = true) {
        std::string text;
        while (at_ < size_ && (data_[at_] != 0 || !toZero) && text.size() < most)
            text.push_back(static_cast<char>(data_[at_++]));
        at_ += at_ < size_ && data_[at_] == 0 ? 1 : 0; // the zero
        return text;
    }
    // All that is left, zeros included.
    std::string Rest() { return Text(SIZE_MAX, false); }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// `size` bytes as the caller sizes its buffer (kFill, or `text` cut to fit),
// then a guard, checked when the text is read and when the buffer goes, and
// poisoned under AddressSanitizer so that a write is reported where it is.
class Guarded {
  public:
    static constexpr size_t kGuard = 16;
    static constexpr char kFill = '\x7E'; // the guard's bytes too
    explicit Guarded(size_t size) : size_(size), bytes_(size + kGuard, kFill) {
        KORVID_FUZZ_POISON(data() + size_, kGuard, true);
    }
    Guarded(size_t size, const std::string& text) : Guarded(size) {
        if (size > 0)
            bytes_[text.copy(data(), size - 1)] = 0;
    }
    ~Guarded() {
        bool intact = GuardIntact();
        KORVID_FUZZ_POISON(data() + size_, kGuard, false);
        FUZZ_CHECK(intact);
    }
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
        bool intact =
            std::all_of(bytes_.begin() + size_, bytes_.end(), [](char c) { return c == kFill; });
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
