// Every system text of the client engine, side by side. Texts are UTF-8
// here; SysText turns each into Shift-JIS once. Those with "%s" slots are
// filled only through their builders in ClientMessages.h, and the protocol
// lines are built there too.
#pragma once

namespace novalune::client::text {

// Caption.
inline constexpr const char* kCaptionBase = "NOVALUNE Ver1.13";
inline constexpr const char* kCaptionClosed = " %s 未接続";
inline constexpr const char* kCaptionConnected = " %s 接続";
inline constexpr const char* kCaptionJoined = " %s %s 入室";
inline constexpr const char* kCaptionLeft = " %s 退室";

// Connection.
inline constexpr const char* kCannotConnect = "サーバーに接続できません";
inline constexpr const char* kConnected = "サーバーと接続しました";
inline constexpr const char* kDisconnected = "サーバーと切断しました";
inline constexpr const char* kSocketError = "接続中にエラ－が発生しました";
inline constexpr const char* kStartConnect = "接続を開始します";

// Dispatch.
inline constexpr const char* kJoined = "%sが入室しました";
inline constexpr const char* kParted = "%sが退室しました";
inline constexpr const char* kQuit = "%sが切断しました";
inline constexpr const char* kRenamed = "%sが%sに名前を変えました";
inline constexpr const char* kNickInUse = "%sは現在使われています";
inline constexpr const char* kHistoryIn = " 入室 [";
inline constexpr const char* kHistoryOut = " 退室 [";
inline constexpr const char* kHistoryQuit = " 切断 [";

// Messages and control payloads.
inline constexpr const char* kSoundLine = "%s_(%s)";
inline constexpr const char* kAway = "%sが席を離れました";
inline constexpr const char* kBack = "%sが戻りました";
inline constexpr const char* kDefaultAway = "AWAY 席を離れます";
inline constexpr const char* kNotInteger = "'%s' is not a valid integer value";

// User commands.
inline constexpr const char* kNotConnected = "サーバーに接続されていません";
inline constexpr const char* kNotInRoom = "部屋に入室していません";
inline constexpr const char* kNotHost = "ホストではありません";
inline constexpr const char* kKickQuestion = "%sを切断します";

// Host link.
inline constexpr const char* kHostStart = "あなたのサーバーへ%s[%s]が接続しました";
inline constexpr const char* kHostEnd = "あなたのサーバーから%s[%s]を切断しました";
inline constexpr const char* kHostJoin = "あなたのサーバーへ%sが%sに入室しました";

}  // namespace novalune::client::text
