// The icon dialog "アイコンの設定": the personal list of icon addresses
// ("ICONLIST.TXT", in the user's order), one address to edit with its
// preview, and the choice of the own icon.
//
// For the main window (MenuIconClick, menu "アイコンの設定" and IconBtn):
//   TSetIconDlg d(IconPreviewOf(*iconFetcher_), [this](const std::string& url) {
//     Command([this, url] { core_->IconApply(url); }); }, ClientNotice(this), this);
//   if (d.exec() == QDialog::Accepted) core_->MenuIconOk(d.IconName());
#pragma once

#include <QByteArray>
#include <functional>
#include <string>
#include <vector>

#include "settings/ClientMessage.h"
#include "settings/TopMostDialog.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QMovie;
class QPushButton;

namespace novalune::settings {

// The preview's download: `fetch` answers later with the GIF, or with
// nothing when there is no picture; `abort` ends a running one.
struct IconPreviewSource {
  std::function<void(const std::string& url, std::function<void(const QByteArray& gif)> done)> fetch;
  std::function<void()> abort;
};

class TSetIconDlg : public TopMostDialog {
  Q_OBJECT
 public:
  // `apply` is "適用": make this address the own icon now, nothing saved.
  TSetIconDlg(IconPreviewSource preview, std::function<void(const std::string&)> apply, NoticeFn notice = {},
              QWidget* parent = nullptr);
  ~TSetIconDlg() override;

  // The address that OK made the own icon (Shift-JIS).
  std::string IconName() const { return iconName_; }
  std::vector<std::string> Entries() const;
  int SelectedIndex() const;
  bool PreviewShown() const;

  void AddBtnClick();
  void DelBtnClick();
  void SetBtnClick();
  void OKBtnClick();
  void Preview();
  void UpdateButtons();

 protected:
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ListBoxClick();
  void ShowPreview(const QByteArray& gif);
  void MoveDragged(int to);

  IconPreviewSource preview_;
  std::function<void(const std::string&)> apply_;
  NoticeFn notice_;
  QListWidget* listBox_;
  // Kept from the start: the list must not be asked for it while it is being destroyed.
  QObject* listViewport_ = nullptr;
  QLineEdit* iconEdit_;
  QLabel* iconImage_;
  QPushButton* addBtn_;
  QPushButton* delBtn_;
  QMovie* movie_ = nullptr;
  std::string iconName_;
  int dragged_ = -1;
  unsigned previewGeneration_ = 0;
};

}  // namespace novalune::settings
