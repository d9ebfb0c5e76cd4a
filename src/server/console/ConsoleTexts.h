// Every caption and question of the server console, as the operator sees them.
#pragma once

namespace novalune::server::console_text {

inline constexpr const char* kWindowTitle = "NOVALUNEサーバー";
inline constexpr const char* kTrayHint = "NOVALUNEサーバー";
inline constexpr const char* kQuestionTitle = "NOVALUNEサーバーメッセージ";

inline constexpr const char* kUserPage = "ユーザー情報";
inline constexpr const char* kRoomPage = "部屋情報";
inline constexpr const char* kRefPage = "拒絶リスト";

inline constexpr const char* kRefBtn = "拒絶";
inline constexpr const char* kKillBtn = "切断";
inline constexpr const char* kMesLabel = "ユーザーへメッセージ";
inline constexpr const char* kPassLabel = "パスワード";
inline constexpr const char* kTopicLabel = "部屋の説明";
inline constexpr const char* kPassCheck = "パスワード設定はホストだけとする";
inline constexpr const char* kRMesLabel = "部屋の人へメッセージ";
inline constexpr const char* kListDelBtn = "削除";
inline constexpr const char* kServerLock = "このサーバーを完全にロックする";
inline constexpr const char* kCloseBtn = "閉じる";
inline constexpr const char* kExitBtn = "強制終了";

inline constexpr const char* kServerMenu = "サーバーメニュー";
inline constexpr const char* kMenuClose = "閉じる";
inline constexpr const char* kMenuEnd = "サーバーの終了";
inline constexpr const char* kUserMenu = "ユーザー管理";
inline constexpr const char* kMenuUserHost = "ホストにする";
inline constexpr const char* kMenuUserNoHost = "ホストを取り下げる";
inline constexpr const char* kMenuUserListUo = "拒絶リストへ追加する";
inline constexpr const char* kMunuUserKill = "このユーザーを切断する";
inline constexpr const char* kRoomMenu = "部屋管理";
inline constexpr const char* kMenuRoomED = "部屋情報";
inline constexpr const char* kRefMenu = "拒絶リスト管理";
inline constexpr const char* kMenuListDel = "拒絶リストの削除";
inline constexpr const char* kMenuSet = "サーバーWindowを表示する";
inline constexpr const char* kMenuExit = "サーバーの終了";

inline constexpr const char* kAskRefuse =
    "このユーザーのＩＰアドレスを拒絶リストへ追加します。以後このＩＰアドレスからは接続できなくなります";
inline constexpr const char* kAskKill = "このユーザーを切断します";
inline constexpr const char* kAskExitWithUsers = "現在接続されているユーザーは切断されます";
inline constexpr const char* kAskExit = "NOVALUNEサーバーを終了します";
inline constexpr const char* kUserPortClosed =
    "チャット用のポートを開けませんでした。このサーバーには接続できません";

inline constexpr const char* kUserColumns[] = {"ID", "Nick",  "Name", "Room",  "Mode",
                                               "IP", "Count", "Icon", "Buffer"};
inline constexpr const char* kRoomColumns[] = {"Name", "Len", "Mode", "Pass", "Topic"};

inline constexpr const char* kRefListFile = "RefList.txt";
inline constexpr const char* kSettingsSection = "Server";
inline constexpr const char* kPassHostKey = "PassHost";

}  // namespace novalune::server::console_text
