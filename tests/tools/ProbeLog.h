// The log of the test probe (RunProbe.cpp): one line per start, holding
// the arguments, the current folder and the show state, separated by "|".
#pragma once

#include <cstdlib>
#include <string>
#include <vector>

struct ProbeStart {
    std::string arguments;
    std::string folder;
    int show;
};

// The complete lines of a log; a line still being written is left out.
inline std::vector<ProbeStart> ParseProbeLog(const std::string& log) {
    std::vector<ProbeStart> starts;
    for (size_t at = 0, end; (end = log.find("\r\n", at)) != std::string::npos; at = end + 2) {
        std::string line = log.substr(at, end - at);
        size_t bar2 = line.rfind('|');
        size_t bar1 = bar2 == std::string::npos || bar2 == 0 ? bar2 : line.rfind('|', bar2 - 1);
        if (bar1 != std::string::npos && bar1 != bar2)
            starts.push_back({line.substr(0, bar1), line.substr(bar1 + 1, bar2 - bar1 - 1),
                              atoi(line.c_str() + bar2 + 1)});
    }
    return starts;
}
