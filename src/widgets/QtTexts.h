#pragma once

// Qt's own texts in the dialogs the tool shows (the buttons of a message box,
// the labels of a file dialog) in the user's interface language, as the
// system's own dialogs are: Serbian in Latin script for a user of Serbian,
// Croatian, Bosnian or Montenegrin, Qt's English otherwise.

#include <QStringList>
#include <QTranslator>

#include <memory>

class QCoreApplication;

namespace QtTexts {

// Whether a user whose interface languages are `uiLanguages`, most wanted
// first (as QLocale::uiLanguages() gives them, "sr-Latn-RS"), reads Serbian.
bool wantsSerbian(const QStringList& uiLanguages);

// The Serbian texts, for installing into an application.
std::unique_ptr<QTranslator> serbianTranslator();

// Installs the Serbian texts when the system's interface language asks for
// them; the application keeps the translator.
void install(QCoreApplication& application);

}  // namespace QtTexts
