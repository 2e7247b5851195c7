// Any command line splits without overrunning the 600-byte argument.
#include "app/CommandLine.h"

#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    int index = data[0] % 4;
    std::string line(reinterpret_cast<const char*>(data + 1), size - 1);
    line = line.c_str(); // the process command line ends at its first zero
    char out[kMaxArgumentLength + 1];
    int result = SplitCommandLineArg(line.c_str(), index, out);
    if (result < 1 || result > 4)
        __builtin_trap();
    if (result != 3 && strnlen(out, sizeof out) == sizeof out)
        __builtin_trap();
    return 0;
}
