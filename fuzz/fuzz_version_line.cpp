// The version file as the handheld may hold it: any bytes, of which the tool reads at most 260.
#include "FuzzCheck.h"
#include "worker/VersionText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

namespace {

constexpr std::size_t kReadBytes = 260;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t count = size < kReadBytes ? size : kReadBytes;
    // Exactly what was read and no more, so that ASan sees any read past it.
    const std::unique_ptr<char[]> bytes(new char[count]);
    if (count != 0)
        std::memcpy(bytes.get(), data, count);
    const std::string read(bytes.get(), count);

    const std::string line = ExtractVersionLine(bytes.get(), count);

    FUZZ_CHECK(line.size() <= count);
    FUZZ_CHECK(ExtractVersionLine(bytes.get(), count) == line);

    const std::size_t firstFeed = read.find('\n');
    const std::size_t secondFeed =
        firstFeed == std::string::npos ? std::string::npos : read.find('\n', firstFeed + 1);
    if (secondFeed == std::string::npos) {
        FUZZ_CHECK(line == read);
        return 0;
    }
    std::string between = read.substr(firstFeed + 1, secondFeed - firstFeed - 1);
    between.erase(std::remove(between.begin(), between.end(), '\r'), between.end());
    FUZZ_CHECK(line.find('\r') == std::string::npos);
    FUZZ_CHECK(line == between);
    return 0;
}
