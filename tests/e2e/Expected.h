// What the user must see and what the handheld must hold, written down here on their own: a
// test that borrowed the tool's constants could not notice a wrong one.
#pragma once

namespace expected {

// Windows and controls
constexpr wchar_t kMainTitle[] = L"qamo+ for Handheld";
constexpr wchar_t kStartButton[] = L"Version 1.2.2.0 リビジョンアップ開始";
constexpr wchar_t kExitButton[] = L"Exit";
constexpr int kProgressBarId = 1000;
constexpr int kStatusTextId = 1001;
constexpr int kCopyToCardId = 1002;

// The progress dialog
constexpr wchar_t kReadingStatus[] = L"モバイル デバイスからアプリケーションのデータを取得しています...";
constexpr wchar_t kReadingTitle[] = L"デバイスのデータを取得中";
constexpr wchar_t kCardStatus[] = L"インストーラファイルを転送しています...";
constexpr wchar_t kInstallStatus[] = L"アプリケーションをインストールしています...";
constexpr wchar_t kTransferTitle[] = L"デバイスにデータを転送中";

// Message boxes: text and caption
constexpr wchar_t kDoneText[] = L"インストールの完了に必要な追加手順がないか、モバイル デバイスの画面を確認してください。";
constexpr wchar_t kDoneCaption[] = L"データ転送が完了しました";
constexpr wchar_t kConnectionCaption[] = L"デバイス接続";
constexpr wchar_t kVersionCaption[] = L"バージョンチェック";
constexpr wchar_t kTransferCaption[] = L"データ転送";
constexpr wchar_t kInitFailed[] = L"モバイルデバイスの初期化に失敗しました。";
constexpr wchar_t kConnectFailed[] = L"モバイルデバイスの接続に失敗しました。";
constexpr wchar_t kNotConnected[] = L"モバイルデバイスと接続されていません。";
constexpr wchar_t kWrongDevice[] = L"接続しているモバイルデバイスがOstrand K2/K1/KSではありません。";
constexpr wchar_t kNotInstalled[] = L"qamoがインストールされていません。";
constexpr wchar_t kTooOld1190[] =
    L"インストールされているバージョンは[Version 1.1.9.0]です。\n\nリビジョンアップを行うには、[Version 1.2.0.0]以降が必要です。";
constexpr wchar_t kNewer1300[] = L"インストールされているバージョンは[Version 1.3.0.0]です。\n\nリビジョンアップを行いますか？";
constexpr wchar_t kTransferFailed[] = L"データ転送に失敗しました。";
constexpr wchar_t kWriteFailed[] = L"データ転送中にエラーが発生しました。";
constexpr wchar_t kCardFailed[] = L"インストーラの転送に失敗しました。\nメモリカードを確認下さい。";

// The handheld after a run
constexpr wchar_t kCardCopy[] = L"\\Storage Card\\HNDqamoInstall.CAB";
constexpr wchar_t kInstallerCopy[] = L"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB";
constexpr wchar_t kInstaller[] = L"wceload";
constexpr wchar_t kInstallerCommandLine[] = L"/noaskdest \"\\Windows\\AppMgr\\Install\\qamo+ for Handheld.CAB\"";
constexpr unsigned long long kCabinetBytes = 8158840;
constexpr unsigned long long kChunkBytes = 65535;  // written per call

}  // namespace expected
