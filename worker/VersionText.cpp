#include "worker/VersionText.h"

std::string ExtractVersionLine(const char* bytes, std::size_t count)
{
    std::string line;
    int lineFeeds = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const char c = bytes[i];
        if (c == '\r')
            continue;
        if (c == '\n') {
            if (++lineFeeds == 2)
                return line;
            line.clear();
            continue;
        }
        line += c;
    }
    return std::string(bytes, count);
}
