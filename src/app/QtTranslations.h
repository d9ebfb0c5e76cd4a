// Qt's own texts (standard buttons, colour, font and file dialogs) in
// Japanese, like the rest of the program.
#pragma once

class QCoreApplication;

namespace novalune::app {

// Installs Qt's Japanese catalogue on `app`, whatever the desktop's language:
// the program speaks only Japanese. False when the catalogue is not installed
// (the dialogs then stay in English).
bool InstallQtTranslations(QCoreApplication& app);

}  // namespace novalune::app
