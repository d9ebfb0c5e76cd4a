// The client's dialogs in one include, and how the main window uses them.
//
// ClientView (client/core/ClientView.h) onto these windows:
//   ShowClientMessage(text, kind)   settings::ShowClientMessage(this, text, kind)
//   ClearRoomRows / ShowRoomList / AddRoomRow
//                                   TRoomListDlg: ClearRoomRows / ShowList / AddRoomRow
//   ClearUserRows / ShowUserList / AddUserRow
//                                   TUserListDlg: ClearUserRows / ShowList / AddUserRow
//   AskNewNick(nick)                TReNameDlg; Accepted -> nick = Nick(), true
// Menu commands:
//   "接続" (MenuJoinClick)            TSetJoinDlg -> ClientCore::MenuJoin
//   "ルームに入る" (MenuRoomInClick)   TSetRoomDlg -> ClientCore::MenuRoomIn(RoomName(), Password())
//   "ルーム説明" (MenuRoomTopicClick)  TRoomTopicDlg -> ClientCore::MenuRoomTopic(TopicLine())
//   "名前の変更" (MenuReNameClick)     TReNameDlg -> ClientCore::MenuReName(Nick())
//   away texts                       TSetMessageDlg -> ClientCore::SetAwayMessages(away, back)
//   "接続設定" (MenuProxyClick)        TProxySetDlg -> HttpAccessGate::SetSettings(Values())
// Start-up without windows: LoadHttpSettings, LoadJoinSettings, LoadAwayMessages.
// Web access: one HttpAccessGate, asked through ShowClientMessage kind 2.
// Staying on top: SetDialogsStayOnTop follows the main window's option.
// Each modal dialog takes a NoticeFn; pass ClientNotice(this). The room list
// and user list are created once and connected to JoinRequested / RefreshRequested.
#pragma once

#include "settings/AddressBook.h"
#include "settings/ClientMessage.h"
#include "settings/ConnectionSettings.h"
#include "settings/DialogRules.h"
#include "settings/ListWindows.h"
#include "settings/Mes1Dlg.h"
#include "settings/Mes2Dlg.h"
#include "settings/ProxySetDlg.h"
#include "settings/ReNameDlg.h"
#include "settings/RoomTopicDlg.h"
#include "settings/SetJoinDlg.h"
#include "settings/SetMessageDlg.h"
#include "settings/SetRoomDlg.h"
#include "settings/SettingsTexts.h"
#include "settings/TopMostDialog.h"
