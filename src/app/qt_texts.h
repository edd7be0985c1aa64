// SPDX-License-Identifier: MIT
#pragma once

#include <QFileDialog>
#include <QStringView>
#include <QTranslator>

class QCoreApplication;

// Every text of the program is Japanese, and so are Qt's own (dialog
// buttons, the print dialog and its preview, the file dialogs), whatever
// the system's language: Qt's Japanese translation is installed with the
// given translator. False when the translation is not on the system.
bool installJapaneseQtTexts(QCoreApplication& app, QTranslator& translator);

// The program's own Japanese for the texts of Qt's print and file dialogs
// that Qt's translation leaves in English (the page range and its
// messages, double-sided printing, the printer properties' advanced tab,
// the file dialog's type column), built into the program. Installed after
// Qt's translation, it is asked first. False only if the program was built
// without it.
bool installQtTextAdditions(QCoreApplication& app, QTranslator& translator);

// A run in Japanese whatever the system's language and locale: Japan is
// the locale of every widget and of every number and date Qt words, Qt's
// Japanese texts with the program's additions are installed, and the file
// dialogs Qt opens itself follow fileDialogOptions. Kept for the whole
// run; the texts go with it.
class JapaneseRun {
public:
    // False when Qt's Japanese translation is not on the system (the rest
    // is in place all the same).
    bool install(QCoreApplication& app);

private:
    QTranslator qtTexts_;
    QTranslator additions_;
};

// The file dialogs' options on a window system: Qt's own dialog, in
// Japanese, where a platform theme would bring the desktop's (GTK's, a
// portal's) in the desktop's language; on Windows, Windows' own dialog,
// which speaks Windows' language (Japanese on the studios' PCs) and shows
// the network places and shortcuts the operator knows.
QFileDialog::Options fileDialogOptions(QStringView platformName);
