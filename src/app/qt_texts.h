// SPDX-License-Identifier: MIT
#pragma once

class QCoreApplication;
class QTranslator;

// Every text of the program is Japanese, and so are Qt's own (dialog
// buttons, the print dialog and its preview, the file dialogs), whatever
// the system's language: Qt's Japanese translation is installed with the
// given translator. False when the translation is not on the system.
bool installJapaneseQtTexts(QCoreApplication& app, QTranslator& translator);
