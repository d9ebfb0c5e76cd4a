// Every text of the server publication, side by side: the notices of the
// dialog and of the answers, the display lines of the automatic operations,
// and the captions of the two publication dialogs. UTF-8 here; SysText turns
// a text into Shift-JIS where the program needs it.
#pragma once

namespace novalune::client::publication_text {

// Button check.
inline constexpr const char* kNoName = "名前が入力されていません";
inline constexpr const char* kNoPassword = "パスワードが入力されていません";

// Script answers.
inline constexpr const char* kStarted = "起動登録しました";
inline constexpr const char* kStopped = "停止登録しました";
inline constexpr const char* kDeleted = "削除しました";
inline constexpr const char* kNameHeld = "この名前は既に使用されているか、パスワードが一致しません";
inline constexpr const char* kScriptPassword = "ＣＧＩパスワードが一致しません";

// Display lines of AutoOnProc and AutoOffProc (kind 2).
inline constexpr const char* kAutoStarted = "サーバーを起動登録しました";
inline constexpr const char* kAutoStopped = "サーバーを停止登録しました";

// Publication dialog.
inline constexpr const char* kSetServerCaption = "サーバーの公開登録";
inline constexpr const char* kPageContents = "登録内容";
inline constexpr const char* kGroupPublished = "公開情報";
inline constexpr const char* kName = "名前";
inline constexpr const char* kPassword = "パスワード";
inline constexpr const char* kHomePage = "ホームページ";
inline constexpr const char* kMail = "メール";
inline constexpr const char* kRoom = "部屋名";
inline constexpr const char* kStartMessage = "起動時のメッセージ";
inline constexpr const char* kStopMessage = "停止時のメッセージ";
inline constexpr const char* kPageCgi = "CGIのURL設定";
inline constexpr const char* kGroupStartExit = "起動時、終了時の設定";
inline constexpr const char* kPublish = "サーバーを公開する";
inline constexpr const char* kGroupTime = "指定時間内の設定";
inline constexpr const char* kTimeDash = "～";
inline constexpr const char* kGroupCgi = "公開サーバーCGI";
inline constexpr const char* kPageOther = "その他";
inline constexpr const char* kGroupAddress = "公開するIPアドレス";
inline constexpr const char* kUseStaticIP = "固定のIPアドレスを使う";
inline constexpr const char* kOnBtn = "起動登録";
inline constexpr const char* kOffBtn = "停止登録";
inline constexpr const char* kDelBtn = "削除";
inline constexpr const char* kViewBtn = "確認";
inline constexpr const char* kCloseBtn = "閉じる";
inline constexpr const char* kSelectedMark = "★";
inline constexpr const char* kCgiHeader = "CGI";
inline constexpr const char* kPassHeader = "PASS";

// Public server list dialog.
inline constexpr const char* kOpenServerCaption = "公開サーバーの表示";
inline constexpr const char* kServerListLabel = "公開サーバーリスト";
inline constexpr const char* kDspBtn = "表示";
inline constexpr const char* kAddBtn = "追加";

}  // namespace novalune::client::publication_text
