#include "client/ui/PrivateBoxForm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <exception>

#include "client/core/ClientMessages.h"
#include "client/core/ClientUtil.h"
#include "client/core/ClientView.h"
#include "client/display/ChatDisplay.h"
#include "client/display/DisplayFormat.h"
#include "client/ui/ChatFormTexts.h"
#include "common/SjisText.h"
#include "qtsupport/WidgetText.h"

namespace novalune::ui {

using qtsupport::FromSjis;
using qtsupport::ToSjis;
using qtsupport::Ui;

namespace {

QToolButton* ToolButton(QWidget* parent, QStyle::StandardPixmap picture, const char* hint, const char* name) {
  auto* button = new QToolButton(parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setIcon(parent->style()->standardIcon(picture));
  button->setToolTip(Ui(hint));
  return button;
}

}  // namespace

TPrivateBoxForm::TPrivateBoxForm(PrivateBoxHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), hooks_(std::move(hooks)) {
  setObjectName("PrivateBoxForm");
  Memo = new display::TChatDisplay(this);
  Memo->setObjectName("Memo");
  ToolBar = new QWidget(this);
  ToolBar->setObjectName("ToolBar");
  BeepBtn = ToolButton(ToolBar, QStyle::SP_MediaVolume, text::kBeepBtn, "BeepBtn");
  Edit = new QLineEdit(ToolBar);
  Edit->setObjectName("Edit");
  SaveBtn = ToolButton(ToolBar, QStyle::SP_DialogSaveButton, text::kPrivateSaveBtn, "SaveBtn");
  auto* row = new QHBoxLayout(ToolBar);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(BeepBtn);
  row->addWidget(Edit, 1);
  row->addWidget(SaveBtn);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->addWidget(Memo, 1);
  layout->addWidget(ToolBar);

  connect(Edit, &QLineEdit::returnPressed, this, &TPrivateBoxForm::EditKeyPress);
  connect(BeepBtn, &QToolButton::clicked, this, &TPrivateBoxForm::BeepBtnClick);
  connect(SaveBtn, &QToolButton::clicked, this, &TPrivateBoxForm::SaveBtnClick);
  // Moving over the text or the input line is how a message counts as seen.
  for (QWidget* watched : {static_cast<QWidget*>(Memo->viewport()), static_cast<QWidget*>(Edit)}) {
    watched->setMouseTracking(true);
    watched->installEventFilter(this);
  }
  resize(360, 240);
}

void TPrivateBoxForm::SetTemplates(const client::PrivateTemplates& templates) {
  using client::TemplateField;
  for (TemplateField field :
       {TemplateField::ListColor, TemplateField::AutoSave, TemplateField::BeepFile, TemplateField::Font1,
        TemplateField::Font2, TemplateField::Font3, TemplateField::Font4}) {
    ApplyTemplate(field, templates);
  }
  defaultExt_ = templates.defaultExt;
}

void TPrivateBoxForm::ApplyTemplate(client::TemplateField field, const client::PrivateTemplates& templates) {
  using client::TemplateField;
  switch (field) {
    case TemplateField::ListColor:
      Memo->SetBackColor(templates.listColor);
      display::ApplyBackColor(*Edit, templates.listColor);
      return;
    case TemplateField::AutoSave: autoSave_ = templates.autoSave; return;
    case TemplateField::BeepFile: beepFile_ = templates.beepFile; return;
    case TemplateField::Font1:
    case TemplateField::Font2:
    case TemplateField::Font3:
    case TemplateField::Font4: {
      const int kind = static_cast<int>(field) - static_cast<int>(TemplateField::Font1) + 1;
      Memo->SetFontSetting(kind, templates.fonts[static_cast<std::size_t>(kind - 1)]);
      if (field == TemplateField::Font4) ApplyEditFont();
      return;
    }
  }
}

void TPrivateBoxForm::SetPartner(const std::string& nick) {
  partner_ = nick;
  QString caption = Ui(text::kPrivateCaption);
  caption.replace(QStringLiteral("%s"), FromSjis(nick));
  setWindowTitle(caption);
}

void TPrivateBoxForm::AppendText(int style, const std::string& text) { Memo->DspMessage(style, text); }

bool TPrivateBoxForm::HasText() const { return Memo->ParagraphCount() > 0; }

std::vector<display::LogParagraph> TPrivateBoxForm::Content() const { return Memo->LogParagraphs(); }

void TPrivateBoxForm::FormShow() {
  if (isMinimized()) showNormal();
  show();
  raise();
  activateWindow();
  ApplyEditFont();
}

void TPrivateBoxForm::ApplyEditFont() {
  const FontSetting& font = Memo->GetFontSetting(4);
  display::ApplyFontSetting(*Edit, font);
  const int height = display::FontPixelHeight(font) + 6;
  for (QWidget* part :
       {static_cast<QWidget*>(BeepBtn), static_cast<QWidget*>(Edit), static_cast<QWidget*>(SaveBtn)}) {
    part->setFixedHeight(height);
  }
}

// The text is shown as it will travel: line breaks of a pasted text become
// the escape, which this display and the partner's turn back into lines.
void TPrivateBoxForm::EditKeyPress() {
  const std::string typed = ToSjis(Edit->text());
  if (typed.empty()) return;
  AppendText(client::kStyleComment, myNick_);
  AppendText(client::kStyleOwn, " " + client::EscapeLineBreaks(typed));
  Edit->clear();
  if (hooks_.send) Post([send = hooks_.send, partner = partner_, typed] { send(partner, typed); });
}

void TPrivateBoxForm::BeepBtnClick() {
  if (hooks_.beep) Post([beep = hooks_.beep, partner = partner_] { beep(partner); });
  AppendText(client::kStyleComment, client::shown::SoundLine(myNick_, beepFile_));
}

void TPrivateBoxForm::SaveBtnClick() {
  if (!hooks_.chooseFile) return;
  const QDateTime now = hooks_.now ? hooks_.now() : QDateTime::currentDateTime();
  const std::optional<QString> chosen =
      hooks_.chooseFile(display::PrivateSaveSetup(now, FromSjis(partner_), defaultExt_));
  if (!chosen) return;
  try {
    display::SaveLogFile(*chosen, Content(), false);
  } catch (const std::exception& error) {
    if (hooks_.notice) hooks_.notice(error.what());
  }
}

void TPrivateBoxForm::FormDestroy() {
  if (!autoSave_ || !HasText() || !hooks_.save) return;
  Post([save = hooks_.save, partner = partner_, text = Content()] { save(partner, text); });
}

void TPrivateBoxForm::Post(std::function<void()> action) {
  if (hooks_.mainWindow) QTimer::singleShot(0, hooks_.mainWindow, std::move(action));
}

bool TPrivateBoxForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseMove && hooks_.seen) hooks_.seen(partner_);
  return QWidget::eventFilter(watched, event);
}

// The close box only hides: the conversation stays until the member goes.
void TPrivateBoxForm::closeEvent(QCloseEvent* event) {
  event->ignore();
  hide();
}

}  // namespace novalune::ui
