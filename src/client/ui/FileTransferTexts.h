// Captions and messages of the file transfer windows, side by side (UTF-8 here).
#pragma once

namespace novalune::ui::text {

// The receive question.
inline constexpr const char* kReceiveCaption = "ファイルの受信";
inline constexpr const char* kReceiveName = "名　　前";
inline constexpr const char* kReceiveIP = "IPアドレス";
inline constexpr const char* kReceiveFile = "ファイル名";
inline constexpr const char* kReceiveSize = "サイズ";
inline constexpr const char* kReceiveOk = "受信";
inline constexpr const char* kReceiveReject = "拒否";

// The progress window.
inline constexpr const char* kProgressCaption = "ファイル転送";
inline constexpr const char* kProgressFile = "ファイル名";
inline constexpr const char* kProgressSize = "サイズ";
inline constexpr const char* kProgressCancel = "中止";
// Filled with QString::arg: position, total; bytes per second.
inline constexpr const char* kProgressBytes = "%1/%2 Byte";
inline constexpr const char* kProgressSpeed = "%1/秒";

// The file choosers.
inline constexpr const char* kSendOpenTitle = "送信ファイルの選択";
inline constexpr const char* kSendOpenFilter = "すべてのファイル(*.*)";

// Messages of this program's own (filled with QString::arg).
inline constexpr const char* kSendFailed =
    "ファイル「%1」の送信に失敗しました（%2 / %3 バイト届きました）。%4";
inline constexpr const char* kReceiveFailed =
    "ファイル「%1」の受信に失敗しました（%2 / %3 バイト届きました）。途中までのファイルは削除しました。%4";
inline constexpr const char* kBadSize = "ファイルの大きさ「%1」は受け取れません（%2 さんからの申し出）。";
inline constexpr const char* kBadPort = "ポート番号「%1」は受け取れません（%2 さんからの申し出）。";
inline constexpr const char* kStillSending = "ファイルを送信中です。終わってからもう一度送ってください。";
inline constexpr const char* kNoPort = "ファイル送信用のポートを開けませんでした。";
inline constexpr const char* kNoAddress = "自分のIPアドレス「%1」が正しくありません。";
inline constexpr const char* kOpenFailed = "ファイル「%1」を開けませんでした: %2";
inline constexpr const char* kSaveFailed = "ファイル「%1」を保存できませんでした: %2";

}  // namespace novalune::ui::text
