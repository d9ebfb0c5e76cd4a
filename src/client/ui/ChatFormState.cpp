// The main window's state: settings on first showing and closing, the view
// options, the quiet-period timer, keyboard, activation and closing order.
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>
#include <QPointer>
#include <QSplitter>
#include <QStatusBar>
#include <QTime>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>
#include <exception>

#include "client/display/DisplayFormat.h"
#include "client/display/LogViewForm.h"
#include "client/display/MemoForm.h"
#include "client/ui/ChatForm.h"
#include "client/ui/ChatTreeView.h"
#include "client/ui/HistoryDialogs.h"
#include "client/ui/OwnServerWait.h"
#include "client/ui/PrivateBoxForm.h"
#include "qtsupport/WidgetText.h"
#include "settings/ListWindows.h"
#include "settings/TopMostDialog.h"

namespace novalune::ui {

namespace {

namespace sys = keys::system;

WindowPlacement PlacementOf(const QRect& normal) {
  WindowPlacement placement;
  placement.normalLeft = normal.left();
  placement.normalTop = normal.top();
  placement.normalRight = normal.left() + normal.width();
  placement.normalBottom = normal.top() + normal.height();
  return placement;
}

// Colours never written (a first start) come from the desktop's palette:
// the stored default 0 would be black text on a black background.
bool Stored(std::string_view section, std::string_view key) {
  return !ReadSettingString(section, key).empty();
}
int DesktopColor(QPalette::ColorRole role) {
  return display::SettingFromColor(QApplication::palette().color(role));
}

}  // namespace

void TZKWChatForm::SystemRead() {
  SetBeepFile(ReadSettingString(sys::kSection, sys::kBeepFile));
  for (int kind = 1; kind <= 4; ++kind) {
    FontSetting font;
    const std::string_view section = keys::memo_font::kSections[static_cast<std::size_t>(kind - 1)];
    ReadFontSetting(font, section);
    if (!Stored(section, keys::memo_font::kColor)) font.color = DesktopColor(QPalette::Text);
    Memo->SetFontSetting(kind, font);
  }
  PushDisplayOptions();
  SetEditFont(Memo->GetFontSetting(4));
  QList<int> widths = Splitter->sizes();
  if (const int width = ReadSettingInt(sys::kSection, sys::kListViewWidth); width != 0) widths[0] = width;
  if (const int width = ReadSettingInt(sys::kSection, sys::kWavListBox); width != 0) {
    widths[1] = width;
    wavListWidth_ = width;
  }
  Splitter->setSizes(widths);
  ApplyBackColor(Stored(sys::kSection, sys::kBackColor) ? ReadSettingInt(sys::kSection, sys::kBackColor)
                                                        : DesktopColor(QPalette::Base));
  WindowPlacement placement = PlacementOf(normalGeometry());
  LoadWindowPlacement(placement);
  setGeometry(placement.normalLeft, placement.normalTop, placement.normalRight - placement.normalLeft,
              placement.normalBottom - placement.normalTop);
  SetShowIcon(ReadSettingFlag(sys::kSection, sys::kShowIcon));
  SetViewStatusBar(ReadSettingFlag(sys::kSection, sys::kViewStatusBar));
  SetViewToolBar(ReadSettingFlag(sys::kSection, sys::kViewToolBar));
  SetViewIconList(false);
  SetViewOnTop(ReadSettingFlag(sys::kSection, sys::kViewOnTop));
}

void TZKWChatForm::SystemWrite() {
  URLList->SaveURLList();
  UserHistory->SaveHistory();
  WriteSettingString(sys::kSection, sys::kBeepFile, core_->BeepFile());
  for (int kind = 1; kind <= 4; ++kind) {
    WriteFontSetting(Memo->GetFontSetting(kind),
                     keys::memo_font::kSections[static_cast<std::size_t>(kind - 1)]);
  }
  WriteSettingFlag(sys::kSection, sys::kViewToolBar, GetViewToolBar());
  WriteSettingFlag(sys::kSection, sys::kViewStatusBar, GetViewStatusBar());
  WriteSettingFlag(sys::kSection, sys::kViewOnTop, GetViewOnTop());
  WriteSettingFlag(sys::kSection, sys::kShowIcon, GetShowIcon());
  WriteSettingInt(sys::kSection, sys::kListViewWidth, ListView->width());
  // A hidden list keeps the width it had when it was last shown.
  WriteSettingInt(sys::kSection, sys::kWavListBox,
                  WavListBox->isVisible() ? WavListBox->width() : wavListWidth_);
  WriteSettingInt(sys::kSection, sys::kBackColor, Memo->BackColor());
  SaveWindowPlacement(PlacementOf(normalGeometry()));
}

bool TZKWChatForm::GetViewToolBar() const { return MenuShowToolBar->isChecked(); }
void TZKWChatForm::SetViewToolBar(bool on) {
  MenuShowToolBar->setChecked(on);
  ToolBar1->setVisible(on);
}

bool TZKWChatForm::GetViewIconList() const { return MenuIconList->isChecked(); }
void TZKWChatForm::SetViewIconList(bool on) {
  MenuIconList->setChecked(on);
  IconBar->setVisible(on);
  if (on) SetIconList();
}

bool TZKWChatForm::GetViewStatusBar() const { return MenuShowStatusBar->isChecked(); }
void TZKWChatForm::SetViewStatusBar(bool on) {
  MenuShowStatusBar->setChecked(on);
  StatusBar->setVisible(on);
}

bool TZKWChatForm::GetViewOnTop() const { return MenuShowOnTop->isChecked(); }
void TZKWChatForm::SetViewOnTop(bool on) {
  MenuShowOnTop->setChecked(on);
  settings::SetDialogsStayOnTop(on);
  if (on) {
    WMViewOnTop();
  } else {
    WMViewNormal();
  }
}

bool TZKWChatForm::GetShowIcon() const { return MenuShowIcon->isChecked(); }
void TZKWChatForm::SetShowIcon(bool on) {
  MenuShowIcon->setChecked(on);
  core_->SetShowIcon(on);
}

// Changing the flag re-creates the native window: only when it differs, or
// every activation would re-apply it and activate the window again.
void TZKWChatForm::WMViewOnTop() {
  if (windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, true);
  if (shown) show();
}

void TZKWChatForm::WMViewNormal() {
  if (!windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
  const bool shown = isVisible();
  setWindowFlag(Qt::WindowStaysOnTopHint, false);
  if (!shown) return;
  show();
  lower();
  raise();
}

void TZKWChatForm::ActiveTimerStart() {
  if (minimized_) {
    if (options_.autoShow) RestoreApplication();
    if (options_.autoBeep) PlaySoundFile(options_.autoFile);
  }
  if (!options_.autoMin || !core_->Active()) return;
  ActiveTimer->stop();
  idleCountdown_ = options_.autoTime;
  ActiveTimer->setInterval(1000);
  ActiveTimer->start();
}

void TZKWChatForm::ActiveTimerStop() { ActiveTimer->stop(); }

void TZKWChatForm::ActiveTimerTimer() {
  --idleCountdown_;
  if (idleCountdown_ > 0) return;
  ActiveTimer->stop();
  showMinimized();
}

void TZKWChatForm::AutoTimerTimer() {
  const QTime now = QTime::currentTime();
  const int seconds = now.hour() * 3600 + now.minute() * 60 + now.second();
  const client::AutoTimerActions actions = publication_.Tick(seconds);
  if (actions.publish) AutoOnProc();
  if (actions.withdraw) AutoOffProc();
}

void TZKWChatForm::AutoOnProc() {
  publication_.Published();
  publisher_->PublishStartAuto();
}

void TZKWChatForm::AutoOffProc() {
  publication_.Withdrawn();
  publisher_->PublishStopAuto();
}

// The dialog's time texts read the way the dialog reads them.
void TZKWChatForm::ReloadPublication() {
  const client::PublicationValues values = client::LoadPublicationValues();
  publication_.Load(values.autoOnOf, values.autoTime,
                    client::FormatTimeOfDay(client::ParseTimeOfDay(values.autoStrTime)),
                    client::FormatTimeOfDay(client::ParseTimeOfDay(values.autoEndTime)));
  if (publication_.TimerWanted()) {
    AutoTimer->start();
  } else {
    AutoTimer->stop();
  }
}

void TZKWChatForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!firstShowDone_ && core_) FormShow();
}

void TZKWChatForm::FormShow() {
  firstShowDone_ = true;  // before SystemRead: re-showing for the on-top flag must not run it twice
  SystemRead();
  core_->FirstShown(setup_.firstArgument);
  if (publication_.AtStartAndExit()) AutoOnProc();
}

// Back to the state the window had before it was minimised (maximised stays maximised).
void TZKWChatForm::RestoreApplication() {
  setWindowState((restoreState_ & ~Qt::WindowMinimized) | Qt::WindowActive);
  show();
  raise();
  activateWindow();
}

std::vector<QWidget*> TZKWChatForm::Companions() const { return {LogView, MemoWin, RoomList, UserList}; }

// The program minimises as a whole: the companions, some of them top-most,
// would otherwise stay on the screen without their main window.
void TZKWChatForm::ApplicationMinimized(Qt::WindowStates before) {
  restoreState_ = before;
  hiddenCompanions_.clear();
  for (QWidget* companion : Companions()) {
    if (!companion->isVisible()) continue;
    hiddenCompanions_.emplace_back(companion);
    companion->hide();
  }
}

void TZKWChatForm::ApplicationRestored() {
  for (const QPointer<QWidget>& companion : hiddenCompanions_) {
    if (companion) companion->show();
  }
  hiddenCompanions_.clear();
}

void TZKWChatForm::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::WindowStateChange) {
    const bool wasMinimized = minimized_;
    minimized_ = isMinimized();
    ListView->SetAnimationAllowed(!minimized_);
    if (minimized_ && !wasMinimized) {
      ApplicationMinimized(static_cast<QWindowStateChangeEvent*>(event)->oldState());
    } else if (!minimized_ && wasMinimized) {
      ApplicationRestored();
    }
  } else if (event->type() == QEvent::ActivationChange && isActiveWindow() && firstShowDone_) {
    // FormActivate: re-apply staying on top after the current event.
    QTimer::singleShot(0, this, [this] {
      if (GetViewOnTop()) {
        WMViewOnTop();
      } else {
        WMViewNormal();
      }
    });
  }
}

// Every window's showing and every key of this window come here first.
bool TZKWChatForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Show && watched != this && watched->isWidgetType()) {
    // Every window of the program passes here: file, colour and message
    // boxes too, not only the dialogs of our own making.
    settings::StackWindow(*static_cast<QWidget*>(watched));
  }
  if (event->type() != QEvent::KeyPress) return QMainWindow::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  if (widget == nullptr || widget->window() != this) return QMainWindow::eventFilter(watched, event);
  return FormKeyPress(watched, static_cast<QKeyEvent*>(event));
}

bool TZKWChatForm::FormKeyPress(QObject* watched, QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    showMinimized();
    return true;
  }
  // Every typed key goes to the input line, Enter and Backspace included.
  // Keys that type nothing (arrows, page keys), Tab (focus order) and
  // Ctrl/Alt commands (copy in the display) stay where they are.
  // A key the input line ignores (Enter) travels on to its parents: not again.
  const bool fromEdit = focusWidget() == Edit && static_cast<QWidget*>(watched)->isAncestorOf(Edit);
  if (watched == Edit || fromEdit || event->text().isEmpty() || event->key() == Qt::Key_Tab ||
      event->key() == Qt::Key_Backtab || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
    return false;
  }
  Edit->setFocus(Qt::OtherFocusReason);
  QKeyEvent copy(event->type(), event->key(), event->modifiers(), event->text());
  QApplication::sendEvent(Edit, &copy);
  return true;
}

void TZKWChatForm::closeEvent(QCloseEvent* event) {
  if (FormClose()) {
    event->accept();
  } else {
    event->ignore();
  }
}

bool TZKWChatForm::FormClose() {
  // 1. A publication still on its way is abandoned.
  publisher_->Abort();
  // 2. Leave the server politely.
  core_->SendQuit();
  // 3. The withdrawal is waited for, within the web time-out.
  if (publication_.AtStartAndExit()) {
    AutoOffProc();
    publisher_->Wait();
  }
  // 4. The log question; a cancelled save dialog keeps the window open, and
  // so does a log that cannot be written: the user may save it elsewhere.
  if (!ExitLogSaved()) return false;
  SavePrivateBoxes();
  // 5.
  SystemWrite();
  // 6. QUIT must reach the server before the socket goes; a connection still
  // waiting for the own server is not made.
  ownServerWait_->Cancel();
  net_.Flush();
  core_->Shutdown();
  // The program ends with its main window, not with the last companion.
  for (QWidget* companion : {static_cast<QWidget*>(LogView), static_cast<QWidget*>(MemoWin),
                             static_cast<QWidget*>(RoomList), static_cast<QWidget*>(UserList)}) {
    companion->hide();
  }
  for (const auto& box : privateBoxes_) box->hide();
  return true;
}

bool TZKWChatForm::ExitLogSaved() {
  try {
    return displayCommands_->ExitLogQuestion(options_.autoSave);
  } catch (const std::exception& error) {
    ShowClientMessage(error.what(), client::kNotice);
    return false;
  }
}

}  // namespace novalune::ui
