// Every text the list service writes, in one place. Answers to records end in
// the marker and its status with nothing after them, so that a client which
// reads the two characters after the marker as a number sees exactly "1" or "2".
#pragma once

#include <string_view>

namespace novalune::listservice::texts {

inline constexpr std::string_view kMarker = "mes_str<..>";

inline constexpr std::string_view kStarted = "起動登録しました";
inline constexpr std::string_view kStopped = "停止登録しました";
inline constexpr std::string_view kDeleted = "削除しました";
inline constexpr std::string_view kNameHeld = "この名前は既に使用されているか、パスワードが一致しません";
inline constexpr std::string_view kScriptPassword = "ＣＧＩパスワードが一致しません";
inline constexpr std::string_view kBadRecord = "登録データの形式が正しくありません";
inline constexpr std::string_view kFull = "登録数が上限に達しています";

inline constexpr std::string_view kPageTitle = "公開サーバー一覧";
inline constexpr std::string_view kNoServers = "公開中のサーバーはありません";
inline constexpr std::string_view kColumnName = "名前";
inline constexpr std::string_view kColumnRoom = "部屋";
inline constexpr std::string_view kColumnHomePage = "ホームページ";
inline constexpr std::string_view kColumnMessage = "メッセージ";
inline constexpr std::string_view kColumnState = "状態";
inline constexpr std::string_view kColumnLink = "接続";
inline constexpr std::string_view kRunning = "公開中";
inline constexpr std::string_view kStoppedState = "停止中";

inline constexpr std::string_view kTextPlain = "text/plain; charset=UTF-8";
inline constexpr std::string_view kTextHtml = "text/html; charset=UTF-8";

// The body of a refused request (not a record answer: no marker).
constexpr std::string_view RefusalText(int status) {
  switch (status) {
    case 404: return "見つかりません";
    case 405: return "この方法は使えません";
    case 408: return "時間切れです";
    case 411: return "長さの指定がありません";
    case 413: return "データが大きすぎます";
    case 431: return "ヘッダーが大きすぎます";
    case 501: return "この転送方式には対応していません";
    default: return "要求が正しくありません";
  }
}

}  // namespace novalune::listservice::texts
