#include "client/ui/HelpWindow.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QSplitter>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <QVBoxLayout>

namespace novalune::ui {

namespace {

const QString kHelpRoot = QStringLiteral("qrc:/help/");
constexpr int kFileRole = Qt::UserRole;

QString ReadPage(const QString& fileName) {
  QFile file(QStringLiteral(":/help/") + fileName);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

// The page's words as a reader sees them, without the markup.
QString PlainText(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.toPlainText();
}

}  // namespace

THelpWindow::THelpWindow(QWidget* parent)
    : QWidget(parent, Qt::Window),
      HelpSearch(new QLineEdit),
      HelpContents(new QListWidget),
      HelpBrowser(new QTextBrowser) {
  setWindowTitle(QStringLiteral("NOVALUNE ヘルプ"));
  HelpSearch->setObjectName(QStringLiteral("HelpSearch"));
  HelpSearch->setPlaceholderText(QStringLiteral("検索"));
  HelpSearch->setClearButtonEnabled(true);
  HelpContents->setObjectName(QStringLiteral("HelpContents"));
  HelpBrowser->setObjectName(QStringLiteral("HelpBrowser"));
  HelpBrowser->setSearchPaths({QStringLiteral(":/help")});
  // Pages of the help open here; addresses outside it go to the desktop's browser.
  HelpBrowser->setOpenExternalLinks(true);

  auto* side = new QWidget;
  auto* sideLayout = new QVBoxLayout(side);
  sideLayout->setContentsMargins(0, 0, 0, 0);
  sideLayout->addWidget(HelpSearch);
  sideLayout->addWidget(HelpContents);
  auto* splitter = new QSplitter;
  splitter->addWidget(side);
  splitter->addWidget(HelpBrowser);
  splitter->setStretchFactor(1, 3);
  splitter->setSizes({220, 600});
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(splitter);
  resize(820, 560);

  FillContents();
  connect(HelpContents, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(kFileRole).toString()); });
  connect(HelpContents, &QListWidget::itemClicked, this,
          [this](QListWidgetItem* item) { ShowPage(item->data(kFileRole).toString()); });
  connect(HelpSearch, &QLineEdit::textChanged, this, &THelpWindow::Search);
  ShowContents();
}

void THelpWindow::ShowContents() {
  HelpSearch->clear();
  ShowPage(QStringLiteral("index.html"));
}

void THelpWindow::ShowPage(const QString& fileName) {
  HelpBrowser->setSource(QUrl(kHelpRoot + fileName));
  const QString text = HelpSearch->text().trimmed();
  if (!text.isEmpty()) HelpBrowser->find(text);
}

// The contents list is the index page's own list, so the two never disagree.
void THelpWindow::FillContents() {
  static const QRegularExpression link(QStringLiteral("<li><a href=\"([^\"]+)\">([^<]+)</a>"));
  auto matches = link.globalMatch(ReadPage(QStringLiteral("index.html")));
  while (matches.hasNext()) {
    const auto match = matches.next();
    auto* item = new QListWidgetItem(match.captured(2), HelpContents);
    item->setData(kFileRole, match.captured(1));
  }
}

// Keeps in the contents only the pages that hold the text.
void THelpWindow::Search(const QString& text) {
  const QString wanted = text.trimmed();
  for (int row = 0; row < HelpContents->count(); ++row) {
    QListWidgetItem* item = HelpContents->item(row);
    const bool holds =
        wanted.isEmpty() ||
        PlainText(ReadPage(item->data(kFileRole).toString())).contains(wanted, Qt::CaseInsensitive);
    item->setHidden(!holds);
  }
}

}  // namespace novalune::ui
