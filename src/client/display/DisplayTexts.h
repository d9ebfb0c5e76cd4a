// Every caption, question and file filter of the display, its logs and its
// windows, in UTF-8 (the widgets take them as QString::fromUtf8).
#pragma once

namespace novalune::display::text {

inline constexpr const char* kCopy = "コピー";
inline constexpr const char* kClearQuestion = "ログの消去をします。よろしいですか？";
inline constexpr const char* kSaveQuestion = "ログの保存をしますか？";
inline constexpr const char* kPrivateSaveQuestion = "%sとのささやきを保存をしますか？";
inline constexpr const char* kSaveFilter = "リッチテキスト(*.RTF)|*.RTF|テキスト(*.TXT)|*.TXT";
inline constexpr const char* kOpenFilter =
    "すべてのファイル(*.RTF,*.TXT)|*.RTF;*.TXT|リッチテキスト(*.RTF)|*.RTF|テキスト(*.TXT)|*.TXT";
inline constexpr const char* kSaveTitle = "ログの保存";
inline constexpr const char* kOpenTitle = "ログを開く";
// A log or an address that no program of the desktop takes.
inline constexpr const char* kNoOpener = "%sを開くことのできるアプリケーションがありません";

inline constexpr const char* kLogViewCaption = "ログビューア";
inline constexpr const char* kClose = "閉じる";

inline constexpr const char* kMemoCaption = "メモ";
inline constexpr const char* kMemoHint = "Shift+Enter 送信";
inline constexpr const char* kSend = "送信";

inline constexpr const char* kOptionsCaption = "表示オプション";
inline constexpr const char* kPageDisplay = "表示オプション";
inline constexpr const char* kPageInOut = "入室・退室の設定";
inline constexpr const char* kGroupQuiet = "会話ががなくなった時の処理";
inline constexpr const char* kAutoMin = "自動で最小化する";
inline constexpr const char* kSecondsLater = "秒後";
inline constexpr const char* kGroupStart = "会話が開始された時の処理";
inline constexpr const char* kAutoShow = "自動で表示する";
inline constexpr const char* kBeep = "音で知らせる";
inline constexpr const char* kBrowse = "参照";
inline constexpr const char* kPlay = "再生";
inline constexpr const char* kGroupExit = "終了時の処理";
inline constexpr const char* kAutoSave = "ログ保存の確認をする";
inline constexpr const char* kWhisperNotice = "ささやきをデスクトップに通知する";
inline constexpr const char* kGroupIn = "ユーザーが入室した時";
inline constexpr const char* kGroupOut = "ユーザーが退室した時";
inline constexpr const char* kSoundTitle = "音ファイル選択";
inline constexpr const char* kSoundFilter = "ｻｳﾝﾄﾞﾌｧｲﾙ(*.wav)|*.wav|MIDIﾌｧｲﾙ(*.mid)|*.mid";
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancel = "キャンセル";

inline constexpr const char* kFontCaption = "フォント";
inline constexpr const char* kFontFace = "フォント名";
inline constexpr const char* kFontSize = "サイズ";
inline constexpr const char* kBold = "太字";
inline constexpr const char* kItalic = "斜体";
inline constexpr const char* kUnderline = "下線";
inline constexpr const char* kStrikeout = "取り消し線";
inline constexpr const char* kColor = "色";
inline constexpr const char* kSample = "サンプル  Aaあぁアァ亜宇";
inline constexpr const char* kBackColorCaption = "背景色";

}  // namespace novalune::display::text
