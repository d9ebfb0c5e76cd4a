// The help "目次": the program's Japanese HTML help, built into the program,
// with its contents beside the page and a search over every page.
#pragma once

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

namespace novalune::ui {

class THelpWindow : public QWidget {
  Q_OBJECT
 public:
  explicit THelpWindow(QWidget* parent = nullptr);

  // Shows the contents page ("index.html") and clears the search.
  void ShowContents();
  // Shows one page of the help by its file name, e.g. "rooms.html".
  void ShowPage(const QString& fileName);

 private:
  void FillContents();
  void Search(const QString& text);

  QLineEdit* HelpSearch;
  QListWidget* HelpContents;
  QTextBrowser* HelpBrowser;
};

}  // namespace novalune::ui
