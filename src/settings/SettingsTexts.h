// Every caption, label and message of the client's dialogs, as the user sees
// them. UTF-8 here; widgets take them with QString::fromUtf8, rules that hand
// a message on as program text take SysText (Shift-JIS).
#pragma once

namespace novalune::settings::text {

// Buttons shared by several dialogs. Two spellings of "cancel" are in use:
// the half-width one in the connect and rename dialogs, the full-width one
// elsewhere.
inline constexpr const char* kOk = "OK";
inline constexpr const char* kCancelHalf = "ｷｬﾝｾﾙ";
inline constexpr const char* kCancel = "キャンセル";
inline constexpr const char* kClose = "閉じる";

// Message boxes.
inline constexpr const char* kMessageCaption = "NOVALUNEクライアントメッセージ";
inline constexpr const char* kUnderstood = "了解";

// Room list and user list windows.
inline constexpr const char* kRoomListCaption = "ルーム一覧";
inline constexpr const char* kUserListCaption = "ユーザーの一覧";
inline constexpr const char* kColRoomName = "部屋名";
inline constexpr const char* kColUsers = "人数";
inline constexpr const char* kColTopic = "説明";
inline constexpr const char* kColName = "名前";
inline constexpr const char* kColPersonal = "個人情報";
inline constexpr const char* kColFullName = "本名";
inline constexpr const char* kJoinBtn = "参加する";
inline constexpr const char* kListBtn = "一覧更新";

// Room dialog.
inline constexpr const char* kSetRoomCaption = "ルームに入る";
inline constexpr const char* kRoomNameLabel = "部屋名";
inline constexpr const char* kPasswordLabel = "パスワード";
inline constexpr const char* kEnterBtn = "入る";

// Room description dialog.
inline constexpr const char* kRoomTopicCaption = "ルーム説明";
inline constexpr const char* kRoomTopicLabel = "この部屋の簡単な説明";

// Rename dialog.
inline constexpr const char* kReNameCaption = "名前の変更";
inline constexpr const char* kNickLabel = "ニックネーム";

// Away-message dialog.
inline constexpr const char* kSetMessageCaption = "メッセージ設定";
inline constexpr const char* kAwayLabel = "席を離れる時";
inline constexpr const char* kBackLabel = "席に戻った時";

// Connect dialog. The two group boxes carry no caption of their own in the
// layout we follow; these short ones name what they hold.
inline constexpr const char* kSetJoinCaption = "Chatの接続";
inline constexpr const char* kConnectPage = "接続";
inline constexpr const char* kPersonalPage = "個人情報";
inline constexpr const char* kRoomGroup = "部屋";
inline constexpr const char* kPartnerGroup = "相手";
inline constexpr const char* kTopicLabel = "この部屋の説明";
inline constexpr const char* kServerNameLabel = "相手の名前";
inline constexpr const char* kServerIPLabel = "相手のＩＰアドレス";
inline constexpr const char* kJoinMeCheck = "自分がサ－バ－になる";
inline constexpr const char* kHomePageLabel = "ホームページアドレス";
inline constexpr const char* kMailLabel = "メールアドレス";

// Validation messages, in the order the checks run.
inline constexpr const char* kNickEmpty = "ニックネームが入力されていません";
inline constexpr const char* kNickBlank = "ニックネームに空白文字を入れないでください";
inline constexpr const char* kNickMark = "ニックネームに\"!\",\"#\",などの文字は使えません";
inline constexpr const char* kRoomEmpty = "部屋名が入力されていません";
inline constexpr const char* kRoomBlank = "部屋名に空白文字を入れないでください";
inline constexpr const char* kPassBlank = "パスワードに空白文字を入れないでください";

// Connection-settings dialog.
inline constexpr const char* kProxySetCaption = "接続設定";
inline constexpr const char* kProxyGroup = "プロキシサーバー";
inline constexpr const char* kUseProxy = "プロキシサーバーを使う";
inline constexpr const char* kProxyHostLabel = "プロキシサーバー";
inline constexpr const char* kProxyPortLabel = "ポート";
inline constexpr const char* kHttpGroup = "URL接続（ＨＴＴＰプロトコル）";
inline constexpr const char* kHttpNotOut = "外部へは接続しない";
inline constexpr const char* kMesConect = "接続時に問い合わせをする";
inline constexpr const char* kHttpTimeLabel = "接続時のタイムアウト";
inline constexpr const char* kSeconds = "秒";
inline constexpr const char* kMessageUrlLabel = "お知らせのアドレス";

// Icon settings dialog.
inline constexpr const char* kSetIconCaption = "アイコンの設定";
inline constexpr const char* kIconListLabel = "アイコンリスト";
inline constexpr const char* kAddBtn = "追加";
inline constexpr const char* kDelBtn = "削除";
inline constexpr const char* kSetBtn = "適用";

// Questions before a web access.
inline constexpr const char* kHttpAskUrl = "HTTP接続します(URL)";
inline constexpr const char* kHttpAskIcon = "HTTP接続します(ICON)";
inline constexpr const char* kHttpAskMessage = "HTTP接続します(Novalune Message)";

}  // namespace novalune::settings::text
