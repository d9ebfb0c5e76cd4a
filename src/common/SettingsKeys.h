// Every section, key and file name of the settings store, in one place.
// Names are compared without ASCII case in NOVALUNE.INI, but are written with
// exactly the spelling given here.
#pragma once

#include <array>
#include <string_view>

namespace novalune {

inline constexpr std::string_view kSettingsFileName = "NOVALUNE.INI";

namespace keys {

// Section "System": connection, options, sounds and view of the client.
namespace system {
inline constexpr std::string_view kSection = "System";
// "URLLEN" and "USERHISTORYLEN" have always been written under this spelling;
// it is the same section as kSection.
inline constexpr std::string_view kSectionUpper = "SYSTEM";

// Connect dialog.
inline constexpr std::string_view kJoinMe = "JoinMe";          // flag
inline constexpr std::string_view kServerName = "ServerName";  // string
inline constexpr std::string_view kServerIP = "ServerIP";      // string
inline constexpr std::string_view kRoomName = "RoomName";      // string
inline constexpr std::string_view kNick = "Nick";              // string
inline constexpr std::string_view kHomePage = "HomePage";      // string
inline constexpr std::string_view kMail = "Mail";              // string

// Options dialog.
inline constexpr std::string_view kAutoMin = "AutoMin";    // flag
inline constexpr std::string_view kAutoTime = "AutoTime";  // integer, seconds
inline constexpr std::string_view kAutoShow = "AutoShow";  // flag
inline constexpr std::string_view kAutoBeep = "AutoBeep";  // flag
inline constexpr std::string_view kAutoFile = "AutoFile";  // string, full path
inline constexpr std::string_view kAutoSave = "AutoSave";  // flag
inline constexpr std::string_view kInBeep = "InBeep";      // flag
inline constexpr std::string_view kOutBeep = "OutBeep";    // flag
inline constexpr std::string_view kInFile = "InFile";      // string, full path
inline constexpr std::string_view kOutFile = "OutFile";    // string, full path
// Set when whispers must not reach the desktop's notifications; a missing
// key keeps them on.
inline constexpr std::string_view kNoWhisperNotice = "NoWhisperNotice";  // flag

// Main window state (SystemRead / SystemWrite).
inline constexpr std::string_view kBeepFile = "BeepFile";            // string, file name only
inline constexpr std::string_view kListViewWidth = "ListViewWidth";  // integer, 0 keeps the layout
inline constexpr std::string_view kWavListBox = "WavListBox";        // integer, 0 keeps the layout
inline constexpr std::string_view kBackColor = "BackColor";          // colour 0x00BBGGRR
inline constexpr std::string_view kShowIcon = "ShowIcon";            // flag
inline constexpr std::string_view kViewStatusBar = "ViewStatusBar";  // flag
inline constexpr std::string_view kViewToolBar = "ViewToolBar";      // flag
inline constexpr std::string_view kViewOnTop = "ViewOnTop";          // flag
inline constexpr std::string_view kDefaultExt = "DefaultExt";        // string, "RTF" or "TXT"

// History lengths, written under kSectionUpper.
inline constexpr std::string_view kUrlLen = "URLLEN";                  // integer
inline constexpr std::string_view kUserHistoryLen = "USERHISTORYLEN";  // integer
}  // namespace system

// Sections "MemoFont1" .. "MemoFont4": one FontSetting each (display styles 1..4).
namespace memo_font {
inline constexpr std::array<std::string_view, 4> kSections = {"MemoFont1", "MemoFont2", "MemoFont3",
                                                              "MemoFont4"};
inline constexpr std::string_view kName = "Name";            // string
inline constexpr std::string_view kSize = "Size";            // integer, points; 0 reads as kDefaultSize
inline constexpr std::string_view kColor = "Color";          // colour
inline constexpr std::string_view kBold = "Bold";            // flag
inline constexpr std::string_view kItalic = "Italic";        // flag
inline constexpr std::string_view kUnderline = "Underline";  // flag
inline constexpr std::string_view kStrikeout = "Strikeout";  // flag
inline constexpr int kDefaultSize = 9;
}  // namespace memo_font

// Section "ZKWChatForm": placement of the main window, integers in screen pixels.
namespace zkwchat_form {
inline constexpr std::string_view kSection = "ZKWChatForm";
inline constexpr std::string_view kPlaceMinPosX = "PlaceMinPos.X";
inline constexpr std::string_view kPlaceMinPosY = "PlaceMinPos.Y";
inline constexpr std::string_view kPlaceMaxPosX = "PlaceMaxPos.X";
inline constexpr std::string_view kPlaceMaxPosY = "PlaceMaxPos.Y";
inline constexpr std::string_view kPlaceNormalPosLeft = "PlaceNormalPos.Left";
inline constexpr std::string_view kPlaceNormalPosTop = "PlaceNormalPos.Top";
inline constexpr std::string_view kPlaceNormalPosRight = "PlaceNormalPos.Right";
inline constexpr std::string_view kPlaceNormalPosBottom = "PlaceNormalPos.Bottom";
}  // namespace zkwchat_form

// Section "Server": publication of the own server, and the server console's option.
namespace server {
inline constexpr std::string_view kSection = "Server";
inline constexpr std::string_view kName = "NAME";                // string
inline constexpr std::string_view kPass = "PASS";                // string
inline constexpr std::string_view kUrl = "URL";                  // string
inline constexpr std::string_view kMail = "MAIL";                // string
inline constexpr std::string_view kRoom = "ROOM";                // string
inline constexpr std::string_view kAutoOnOf = "AUTOONOF";        // flag
inline constexpr std::string_view kAutoTime = "AUTOTIME";        // flag
inline constexpr std::string_view kAutoStrTime = "AUTOSTRTIME";  // string, "AM/PM hh:mm"
inline constexpr std::string_view kAutoEndTime = "AUTOENDTIME";  // string, "AM/PM hh:mm"
inline constexpr std::string_view kUseStaticIP = "USESTATICIP";  // flag
inline constexpr std::string_view kStaticIP = "STATICIP";        // string
inline constexpr std::string_view kPassHost = "PassHost";        // flag, server console
}  // namespace server

// Section "Message": texts of the away button.
namespace message {
inline constexpr std::string_view kSection = "Message";
inline constexpr std::string_view kAway = "AWAY";  // string
inline constexpr std::string_view kBack = "BACK";  // string
}  // namespace message

// Section "ICON": own icon and web access.
namespace icon {
inline constexpr std::string_view kSection = "ICON";
inline constexpr std::string_view kUrl = "URL";                // string
inline constexpr std::string_view kSelectNo = "SelectNo";      // integer, -1 when none
inline constexpr std::string_view kHttpNotOut = "HTTPNOTOUT";  // flag
inline constexpr std::string_view kMesConect = "MESCONECT";    // flag
inline constexpr std::string_view kHttpTime = "HTTPTIME";      // integer, seconds; 0 means kDefaultHttpTime
inline constexpr std::string_view kUseProxy = "USEPROXY";      // flag
inline constexpr std::string_view kProxyHost = "PROXYHOST";    // string
inline constexpr std::string_view kProxyPort = "PROXYPORT";    // integer
inline constexpr std::string_view kMessageUrl = "MESSAGEURL";  // string, notice page; empty: none
inline constexpr int kDefaultHttpTime = 30;
}  // namespace icon

// Section "OPENSERVER": the public server list page.
namespace open_server {
inline constexpr std::string_view kSection = "OPENSERVER";
inline constexpr std::string_view kUrl = "URL";            // string
inline constexpr std::string_view kSelectNo = "SelectNo";  // integer, -1 when none
}  // namespace open_server

}  // namespace keys

// List files in the program folder: Shift-JIS, one entry per line, CR LF.
namespace files {
inline constexpr std::string_view kWavFile = "WavFile.txt";          // sound history, newest first
inline constexpr std::string_view kWavDir = "WavDir.txt";            // sound folders
inline constexpr std::string_view kAddress = "Address.adr";          // name 0x02 address 0x02 0x03
inline constexpr std::string_view kRoom = "Room.adr";                // room names
inline constexpr std::string_view kRoomTopic = "RoomTopic.txt";      // room description text
inline constexpr std::string_view kZKWCSvr = "ZKWCSvr.txt";          // script address "#" password
inline constexpr std::string_view kHtmlMsg1 = "htmlmsg1.txt";        // published when the server starts
inline constexpr std::string_view kHtmlMsg2 = "htmlmsg2.txt";        // published when the server stops
inline constexpr std::string_view kServerList = "ServerList.txt";    // public server list pages
inline constexpr std::string_view kIconList = "ICONLIST.TXT";        // icon dialog entries
inline constexpr std::string_view kUrlList = "URLList.txt";          // URL list, newest first
inline constexpr std::string_view kUserHistory = "UserHistory.txt";  // user history, newest first
inline constexpr std::string_view kRefList = "RefList.txt";          // server refuse list
inline constexpr std::string_view kHelp = "NOVALUNE.HLP";            // help file
inline constexpr std::string_view kReceiveTmp = "RECEIVE.TMP";       // file transfer work file
}  // namespace files

}  // namespace novalune
