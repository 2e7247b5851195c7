// The wildcard replacement never writes past the 600-byte work buffer and
// gives the text before, the substitute, the rest and a blank, cut to fit.
#include "tools/RunInfoCore.h"

#include <cstring>
#include <memory>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    constexpr size_t kBuffer = 600;
    const char* bytes = reinterpret_cast<const char*>(data);
    const char* split = static_cast<const char*>(memchr(bytes, '|', size));
    size_t textLength = split == nullptr ? size : static_cast<size_t>(split - bytes);
    std::string text(bytes, textLength);
    std::string substitute = split == nullptr ? "" : std::string(split + 1, bytes + size);
    text = text.c_str();
    substitute = substitute.c_str();
    if (text.size() >= kBuffer)
        text.resize(kBuffer - 1);
    std::unique_ptr<char[]> buffer(new char[kBuffer]);
    memcpy(buffer.get(), text.c_str(), text.size() + 1);
    bool replaced = ReplaceWildcard(buffer.get(), kBuffer, "??", substitute.c_str());
    size_t at = text.find("??");
    std::string expected = text;
    if (at != std::string::npos)
        expected =
            (text.substr(0, at) + substitute + text.substr(at + 2) + " ").substr(0, kBuffer - 1);
    if (replaced != (at != std::string::npos) || expected != buffer.get())
        __builtin_trap();
    std::string name = buffer.get();
    StripExtension(buffer.get());
    size_t dot = name.rfind('.');
    if (std::string(buffer.get()) != (dot == std::string::npos ? name : name.substr(0, dot)))
        __builtin_trap();
    return 0;
}
