// Captions and hints of the main window, side by side (UTF-8 here).
#pragma once

namespace novalune::ui::text {

// Upper tool bar: the buttons' hints, also their captions.
inline constexpr const char* kJoinBtn = "接続する";
inline constexpr const char* kCutBtn = "切断する";
inline constexpr const char* kRoomInBtn = "ルームに入る";
inline constexpr const char* kRoomOutBtn = "ルームから出る";
inline constexpr const char* kRoomListBtn = "ルーム一覧";
inline constexpr const char* kUserListBtn = "ユーザーの一覧";
inline constexpr const char* kAwayBtn = "席を離れる";
inline constexpr const char* kIconBtn = "アイコンの変更";
inline constexpr const char* kOpSvBtn = "サーバーの公開";
inline constexpr const char* kServerViewBtn = "サーバーを表示する";
inline constexpr const char* kLogViewBtn = "ログビューア";
inline constexpr const char* kEditRoom = "現在の部屋名を表示します";
inline constexpr const char* kEditMyIP = "あなたのＩＰアドレスです";

// Lower tool bar.
inline constexpr const char* kTalkBtn = "発言する";
inline constexpr const char* kPrivateBtn = "ささやく";
inline constexpr const char* kBeepBtn = "音を鳴らす";
inline constexpr const char* kBeepFileBtn = "音ファイルを開く";
inline constexpr const char* kWavListBtn = "音ファイル履歴";
inline constexpr const char* kMemoBtn = "文章送信";

// Main menu.
inline constexpr const char* kMenuFile = "ファイル";
inline constexpr const char* kMenuJoin = "接続";
inline constexpr const char* kMenuCut = "切断";
inline constexpr const char* kMenuDspSvr = "公開サーバーの表示";
inline constexpr const char* kMenuOpen = "ログを開く";
inline constexpr const char* kMenuCls = "ログの消去";
inline constexpr const char* kMenuSave = "ログの保存";
inline constexpr const char* kMenuExit = "終了";
inline constexpr const char* kMenuView = "表示";
inline constexpr const char* kMenuShowToolBar = "ツールバー";
inline constexpr const char* kMenuIconList = "アイコンリスト";
inline constexpr const char* kMenuShowStatusBar = "ステータスバー";
inline constexpr const char* kMenuShowOnTop = "常に手前に表示";
inline constexpr const char* kMenuShowIcon = "アイコンで表示";
inline constexpr const char* kMenuShowOption = "オプション";
inline constexpr const char* kMenuSettings = "設定";
inline constexpr const char* kMenuFont = "フォント";
inline constexpr const char* kMenuFonts[4] = {"システム", "コメント", "発言（他人）", "発言（自分）"};
inline constexpr const char* kMenuSetBackColor = "背景色";
inline constexpr const char* kMenuReName = "名前の変更";
inline constexpr const char* kMenuMessage = "メッセージ";
inline constexpr const char* kMenuFolder = "フォルダー";
inline constexpr const char* kMenuWavDir = "音フォルダー";
inline constexpr const char* kMenuIcon = "アイコンの設定";
inline constexpr const char* kMenuServerSet = "サーバー公開";
inline constexpr const char* kMenuICQSet = "ＩＣＱへ登録";
inline constexpr const char* kMenuProxy = "接続設定";
inline constexpr const char* kMenuRoom = "ル－ム";
inline constexpr const char* kMenuRoomIn = "ルームに入る";
inline constexpr const char* kMenuRoomOut = "ルームから出る";
inline constexpr const char* kMenuRoomLook = "ルーム一覧";
inline constexpr const char* kMenuRoomTopic = "ルーム説明";
inline constexpr const char* kMenuMember = "メンバー";
inline constexpr const char* kMenuMemberLook = "ユーザーの一覧";
inline constexpr const char* kMenuList = "履歴";
inline constexpr const char* kMenuListURL = "URL";
inline constexpr const char* kMenuUserHistory = "ユーザー";
inline constexpr const char* kMenuHelp = "ヘルプ";
inline constexpr const char* kMenuContents = "目次";
inline constexpr const char* kMenuHelplAbout = "バージョン";

// The member pop-up menu.
inline constexpr const char* kN8 = "ささやき・・・";
inline constexpr const char* kMenuHost = "ホストにする";
inline constexpr const char* kMenuKick = "切断";
inline constexpr const char* kMenuSend = "ファイル送信（直接）";
inline constexpr const char* kMenuSendRelay = "ファイル送信（経由）";
inline constexpr const char* kMenuUJoin = "この人のサーバーへ接続";

// The version box.
inline constexpr const char* kAboutCaption = "ﾊﾞｰｼﾞｮﾝ情報";
inline constexpr const char* kAboutText = "NOVALUNE\nVersion 1.13";

// The sound folder dialog.
inline constexpr const char* kWavDirCaption = "音フォルダーの設定";
inline constexpr const char* kWavDirPrompt = "音フォルダーを選択してください";
inline constexpr const char* kWavDirAdd = "追加";
inline constexpr const char* kWavDirDelete = "削除";
inline constexpr const char* kWavDirCancel = "キャンセル";

// Whisper windows.
inline constexpr const char* kPrivateCaption = "%sとのささやきBox";
inline constexpr const char* kPrivateSaveBtn = "保存";

}  // namespace novalune::ui::text
