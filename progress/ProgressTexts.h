// What the progress dialog says to the user.
#pragma once

namespace progress_text {

constexpr const wchar_t kReadingStatus[] = L"モバイル デバイスからアプリケーションのデータを取得しています...";
constexpr const wchar_t kReadingTitle[] = L"デバイスのデータを取得中";
constexpr const wchar_t kCardStatus[] = L"インストーラファイルを転送しています...";
constexpr const wchar_t kInstallStatus[] = L"アプリケーションをインストールしています...";
constexpr const wchar_t kTransferTitle[] = L"デバイスにデータを転送中";
constexpr const wchar_t kPercentTitle[] = L"デバイスにデータを転送中 (%d%%)";

constexpr const wchar_t kDoneText[] =
    L"インストールの完了に必要な追加手順がないか、モバイル デバイスの画面を確認してください。";
constexpr const wchar_t kDoneCaption[] = L"データ転送が完了しました";

constexpr const wchar_t kConnectionCaption[] = L"デバイス接続";
constexpr const wchar_t kVersionCaption[] = L"バージョンチェック";
constexpr const wchar_t kTransferCaption[] = L"データ転送";

constexpr const wchar_t kLoadFailed[] = L"モバイルデバイスの初期化に失敗しました。";
constexpr const wchar_t kStartFailed[] = L"モバイルデバイスの接続に失敗しました。";
constexpr const wchar_t kNoAnswer[] = L"モバイルデバイスと接続されていません。";
constexpr const wchar_t kWrongPlatform[] = L"接続しているモバイルデバイスがOstrand K2/K1/KSではありません。";
constexpr const wchar_t kNotInstalled[] = L"qamoがインストールされていません。";
constexpr const wchar_t kVersionTooOld[] =
    L"インストールされているバージョンは[%s]です。\n\nリビジョンアップを行うには、[%s]以降が必要です。";
constexpr const wchar_t kNewerVersion[] = L"インストールされているバージョンは[%s]です。\n\nリビジョンアップを行いますか？";
constexpr const wchar_t kInstallCreateFailed[] = L"データ転送に失敗しました。";
constexpr const wchar_t kWriteFailed[] = L"データ転送中にエラーが発生しました。";
constexpr const wchar_t kCardCreateFailed[] = L"インストーラの転送に失敗しました。\nメモリカードを確認下さい。";

// The dialog could not start its worker: no run took place.
constexpr const wchar_t kWorkerNotStarted[] = L"リビジョンアップを開始できませんでした。";

}  // namespace progress_text
