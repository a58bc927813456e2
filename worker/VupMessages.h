// The worker's only channel to the progress dialog: three messages sent synchronously
// (SendMessageA) from the worker thread, with their codes.
#pragma once

#include <windows.h>

constexpr UINT WM_VUP_STAGE = WM_USER + 100;     // wParam: VupStage; result unused
constexpr UINT WM_VUP_NOTICE = WM_USER + 101;    // wParam: VupNotice; lParam: version text for 7 and 8
constexpr UINT WM_VUP_PROGRESS = WM_USER + 102;  // wParam: percent; lParam: 1 once a copy is complete

enum VupStage : WPARAM {
    VUP_STAGE_READING = 0,       // the run has begun; reading the handheld's data
    VUP_STAGE_COPY_TO_CARD = 1,  // copying the installer to the memory card
    VUP_STAGE_INSTALL = 2,       // copying the installer to the installer folder
    VUP_STAGE_DONE = 3,          // the last message of a completed run
};

// Codes 1 to 3 are RapiClass::Connect's results, passed on unchanged. Every notice but
// VUP_NOTICE_NEWER_VERSION ends the run; codes 5, 9 and 10 are never sent.
enum VupNotice : WPARAM {
    VUP_NOTICE_LOAD_FAILED = 1,
    VUP_NOTICE_START_FAILED = 2,
    VUP_NOTICE_NO_ANSWER = 3,
    VUP_NOTICE_WRONG_PLATFORM = 4,
    VUP_NOTICE_NOT_INSTALLED = 6,
    VUP_NOTICE_VERSION_TOO_OLD = 7,    // lParam: the installed version text (char*)
    VUP_NOTICE_NEWER_VERSION = 8,      // lParam: the installed version text; nonzero answer: go on
    VUP_NOTICE_INSTALL_CREATE_FAILED = 11,
    VUP_NOTICE_WRITE_FAILED = 12,
    VUP_NOTICE_CARD_CREATE_FAILED = 13,
};

constexpr LPARAM VUP_PROGRESS_RUNNING = 0;
constexpr LPARAM VUP_PROGRESS_COMPLETE = 1;
