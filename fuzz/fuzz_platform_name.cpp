// The registry value "Name" as the handheld may send it: any bytes, any length, no terminator.
#include "FuzzCheck.h"
#include "worker/VersionText.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace {

// The tool reads the value into 520 bytes, 260 UTF-16 units.
constexpr std::size_t kBufferUnits = 260;
constexpr std::size_t kBufferBytes = kBufferUnits * 2;

// The value's bytes are little-endian on the wire whatever the host; an odd last byte is the
// low half of a unit whose high half stayed zero.
void StoreUnits(const std::uint8_t* data, std::size_t bytes, char16_t* units)
{
    for (std::size_t i = 0; i < bytes; ++i) {
        const unsigned shift = (i % 2) * 8;
        units[i / 2] = static_cast<char16_t>(units[i / 2] | (data[i] << shift));
    }
}

PlatformKind Expected(const char16_t* units, std::size_t unitCount)
{
    std::u16string significant;
    for (std::size_t i = 0; i < unitCount && i < 8 && units[i] != 0; ++i)
        significant += units[i];
    if (significant == u"SMDK2443")
        return PlatformKind::Smdk2443;
    if (significant == u"SMDK6410")
        return PlatformKind::Smdk6410;
    return PlatformKind::Refused;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::size_t bytes = size < kBufferBytes ? size : kBufferBytes;
    const std::size_t unitCount = (bytes + 1) / 2;

    // Heap buffers of exactly these sizes, so that ASan sees any read past them.
    const std::unique_ptr<char16_t[]> full(new char16_t[kBufferUnits]());
    StoreUnits(data, bytes, full.get());
    const std::unique_ptr<char16_t[]> exact(new char16_t[unitCount]());
    StoreUnits(data, bytes, exact.get());

    const PlatformKind expected = Expected(exact.get(), unitCount);
    const PlatformKind inFull = ClassifyPlatformName(full.get(), kBufferUnits);
    const PlatformKind inExact = ClassifyPlatformName(exact.get(), unitCount);

    FUZZ_CHECK(inFull == expected);
    FUZZ_CHECK(inExact == expected);
    FUZZ_CHECK(ClassifyPlatformName(full.get(), kBufferUnits) == inFull);
    FUZZ_CHECK(ClassifyPlatformName(exact.get(), unitCount) == inExact);
    return 0;
}
