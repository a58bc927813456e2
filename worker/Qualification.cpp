#include "worker/Qualification.h"

#include "worker/HandheldNames.h"
#include "worker/RegistryText.h"
#include "worker/RemoteHandles.h"
#include "worker/VersionText.h"

#include <string>

namespace {

std::string ReadInstalledVersion(RapiClass& rapi, HANDLE hFile)
{
    char bytes[handheld::kVersionReadBytes];
    DWORD count = 0;
    if (!rapi.CeReadFile(hFile, bytes, handheld::kVersionReadBytes, &count, nullptr))
        return {};
    if (count > handheld::kVersionReadBytes)  // a library that over-reports is not believed
        count = handheld::kVersionReadBytes;
    return ExtractVersionLine(bytes, count);
}

}  // namespace

bool CheckPlatform(RunContext& run)
{
    run.m_bSmdk6410 = false;
    RapiClass& rapi = run.Rapi();

    RemoteKey key(rapi);
    if (!key.Open(handheld::kPlatformRoot, handheld::kPlatformKey, 0)) {
        run.Notice(VUP_NOTICE_WRONG_PLATFORM);
        return false;
    }
    RegistryText name;
    const bool read = name.Read(rapi, key.Get(), handheld::kPlatformValue) == ValueRead::Read;
    const PlatformKind kind =
        read ? ClassifyPlatformName(name.Text(), handheld::kTextBufferUnits) : PlatformKind::Refused;
    key.Close();
    if (kind == PlatformKind::Refused) {
        run.Notice(VUP_NOTICE_WRONG_PLATFORM);
        return false;
    }
    run.m_bSmdk6410 = kind == PlatformKind::Smdk6410;
    return true;
}

bool CheckInstalledVersion(RunContext& run)
{
    RapiClass& rapi = run.Rapi();
    RemoteFile file(rapi, rapi.CeCreateFile(handheld::kVersionFile, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        run.Notice(VUP_NOTICE_NOT_INSTALLED);
        return false;
    }
    const std::string version = ReadInstalledVersion(rapi, file.Get());
    file.Close();

    // Compared as text under the user's locale, not as numbers: 1.2.10.0 orders below 1.2.2.0.
    if (::lstrcmpA(version.c_str(), handheld::kRequiredVersion) < 0) {
        run.Notice(VUP_NOTICE_VERSION_TOO_OLD, version.c_str());
        return false;
    }
    if (::lstrcmpA(version.c_str(), handheld::kTargetVersion) > 0)
        return run.Notice(VUP_NOTICE_NEWER_VERSION, version.c_str()) != 0;
    return true;
}
