// The URL list "URLリスト" and the user history "ユーザー入退室リスト": created
// once at start-up, shown modally from the menu "履歴" and hidden again by
// "閉じる". Each loads its file and length at creation; the list rules live
// in client::HistoryList, the dialogs only show them. All text is Shift-JIS.
//
// For the main window:
//   constructor:   URLList = new TURLListDlg([this](const std::string& url) { MemoURLClick(url); }, this);
//                  UserHistory = new TUserHistoryDlg(this);
//   URLListAdd:    URLList->URLListAdd(nick, text, Now());
//   AddHistoryEntry: UserHistory->AddHistoryEntry(entry);
//   menu "URL" / "ユーザー": URLList->exec(); / UserHistory->exec();
//   SystemWrite:   URLList->SaveURLList(); UserHistory->SaveHistory();
#pragma once

#include <functional>
#include <string>

#include "client/core/HistoryList.h"
#include "settings/TopMostDialog.h"

class QBoxLayout;
class QListWidget;
class QPushButton;

namespace novalune::controls {
class IntEdit;
}

namespace novalune::ui {

// What both dialogs share: the list, the length field and "削除" / "閉じる".
class THistoryDlg : public settings::TopMostDialog {
  Q_OBJECT
 public:
  const client::HistoryList& List() const { return list_; }

  // "削除": removes the selected entries and rewrites the file at once.
  void DelBtnClick();
  // "閉じる".
  void OKBtnClick() { accept(); }

  QListWidget* ListBox;
  controls::IntEdit* Len;
  QPushButton* DelBtn;
  QPushButton* OKBtn;

 protected:
  THistoryDlg(const char* caption, const client::HistoryStore& store, QWidget* parent);

  void AddEntry(const std::string& entry);
  // Merges with the file as it is now, writes it and stores the length.
  void SaveAtExit();
  // The row of buttons, for a dialog that has one more.
  QBoxLayout* Buttons() const { return buttons_; }
  // After the entries changed (created, added, deleted, saved).
  virtual void EntriesChanged() {}

 private:
  void ShowEntries();

  client::HistoryList list_;
  client::HistoryStore store_;
  QBoxLayout* buttons_;
};

class TURLListDlg : public THistoryDlg {
  Q_OBJECT
 public:
  // Opens an address after the web access consent (the main window's MemoURLClick).
  using OpenUrl = std::function<void(const std::string& url)>;

  explicit TURLListDlg(OpenUrl openUrl, QWidget* parent = nullptr);
  ~TURLListDlg() override;

  void AddURLEntry(const std::string& entry);
  // The main window's URLListAdd: an entry for the first address of `text`, if any.
  void URLListAdd(const std::string& nick, const std::string& text, const client::LocalTime& now);
  void SaveURLList() { SaveAtExit(); }

  // "表示" and a double click: the selected entry up to its first blank.
  void DspBtnClick();

  QPushButton* DspBtn;

 protected:
  void EntriesChanged() override;

 private:
  OpenUrl openUrl_;
};

class TUserHistoryDlg : public THistoryDlg {
  Q_OBJECT
 public:
  explicit TUserHistoryDlg(QWidget* parent = nullptr);

  void AddHistoryEntry(const std::string& entry) { AddEntry(entry); }
  void SaveHistory() { SaveAtExit(); }
};

}  // namespace novalune::ui
