#include "worker/Transfer.h"

#include "worker/Cabinet.h"
#include "worker/HandheldNames.h"
#include "worker/RemoteHandles.h"

#include <algorithm>
#include <cstdint>

namespace {

WPARAM PercentOf(DWORD written, DWORD total)
{
    if (total == 0)
        return 100;
    return static_cast<WPARAM>(static_cast<std::uint64_t>(written) * 100 / total);
}

enum class PassPlace { Card, Installer };

// Writes the cabinet to target in chunks, reporting progress and polling for a cancellation
// between chunks. True once every byte is written; otherwise the partial file is gone.
bool CopyCabinet(RunContext& run, const CabinetBytes& cabinet, const wchar_t* target, VupNotice createFailed)
{
    RapiClass& rapi = run.Rapi();
    RemoteFile file(rapi, rapi.CeCreateFile(target, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
        run.Notice(createFailed);
        rapi.CeDeleteFile(target);
        return false;
    }

    const DWORD chunk = std::min(cabinet.size, handheld::kChunkBytes);
    DWORD written = 0;
    bool complete = false;
    // A chunk handed to the handheld is always finished before the next poll.
    bool cancelled = run.CancelRequested();
    while (!cancelled) {
        run.Progress(PercentOf(written, cabinet.size), VUP_PROGRESS_RUNNING);
        if (written == cabinet.size) {
            run.Progress(100, VUP_PROGRESS_COMPLETE);
            complete = true;
            break;
        }
        const DWORD end = written + std::min(chunk, cabinet.size - written);
        // A write that reports another count than it was handed has failed: a handheld that took
        // fewer bytes is not trusted to take the rest, and the copy ends as after any failed write.
        DWORD reported = 0;
        if (!rapi.CeWriteFile(file.Get(), cabinet.bytes + written, end - written, &reported, nullptr) ||
            reported != end - written) {
            run.Notice(VUP_NOTICE_WRITE_FAILED);
            break;
        }
        written = end;
        cancelled = run.CancelRequested();
    }

    file.Close();
    if (!complete)
        rapi.CeDeleteFile(target);
    return complete;
}

void PrepareTarget(RapiClass& rapi, PassPlace place, const wchar_t* target)
{
    if (place == PassPlace::Card) {
        // An earlier run left its card copy read-only.
        rapi.CeSetFileAttributes(target, FILE_ATTRIBUTE_NORMAL);
        rapi.CeDeleteFile(target);
    } else {
        for (const wchar_t* folder : handheld::kInstallerFolders)
            rapi.CeCreateDirectory(folder, nullptr);
    }
}

void FinishPass(RapiClass& rapi, PassPlace place, const wchar_t* target)
{
    if (place == PassPlace::Card) {
        rapi.CeSetFileAttributes(target, FILE_ATTRIBUTE_READONLY);
        return;
    }
    PROCESS_INFORMATION process{};
    rapi.CeCreateProcess(handheld::kInstallerProgram, handheld::kInstallerCommandLine, nullptr, nullptr, FALSE,
                         0, nullptr, nullptr, nullptr, &process);
    // The installer runs on its own on the handheld; nobody waits for it.
    if (process.hThread != nullptr)
        rapi.CeCloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        rapi.CeCloseHandle(process.hProcess);
}

}  // namespace

bool TransferInstaller(RunContext& run)
{
    for (const PassPlace place : {PassPlace::Card, PassPlace::Installer}) {
        if (run.CancelRequested())
            return false;
        if (place == PassPlace::Card && !run.CopyToCard())
            continue;
        CabinetBytes cabinet;
        if (!FindCabinet(::GetModuleHandleW(nullptr), cabinet)) {
            // A tool without its installer must not report a completed transfer.
            run.Notice(VUP_NOTICE_INSTALL_CREATE_FAILED);
            return false;
        }

        const bool card = place == PassPlace::Card;
        run.Stage(card ? VUP_STAGE_COPY_TO_CARD : VUP_STAGE_INSTALL);
        run.Progress(0, VUP_PROGRESS_RUNNING);

        const wchar_t* target = !card ? handheld::kInstallerCopy
                                : run.m_bSmdk6410 ? handheld::kCardCopySmdk6410
                                                  : handheld::kCardCopySmdk2443;
        RapiClass& rapi = run.Rapi();
        PrepareTarget(rapi, place, target);
        const VupNotice createFailed = card ? VUP_NOTICE_CARD_CREATE_FAILED : VUP_NOTICE_INSTALL_CREATE_FAILED;
        if (!CopyCabinet(run, cabinet, target, createFailed))
            return false;
        // The dialog offers Cancel until it has handled the report that the copy is complete, which
        // comes after the last poll of the copy: a Cancel taken up to then is seen here, before
        // anything starts on the copy, and no Cancel can be taken afterwards.
        if (place == PassPlace::Installer && run.CancelRequested()) {
            rapi.CeDeleteFile(target);
            return false;
        }
        FinishPass(rapi, place, target);
    }
    return true;
}
