// SPDX-License-Identifier: MIT
#include "app/qt_texts.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QLocale>

namespace {

const QLocale kJapan(QLocale::Japanese, QLocale::Japan);

}  // namespace

bool installJapaneseQtTexts(QCoreApplication& app, QTranslator& translator) {
    if (!translator.load(kJapan, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return app.installTranslator(&translator);
}

bool installQtTextAdditions(QCoreApplication& app, QTranslator& translator) {
    if (!translator.load(QStringLiteral(":/translations/pictor_qt_ja.qm")))
        return false;
    return app.installTranslator(&translator);
}

bool JapaneseRun::install(QCoreApplication& app) {
    QLocale::setDefault(kJapan);
    const bool qtTexts = installJapaneseQtTexts(app, qtTexts_);
    installQtTextAdditions(app, additions_);
    // The file choosers Qt opens itself (the print dialog's, for a PDF's
    // name) as the program's own.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeDialogs,
                                   fileDialogOptions(QGuiApplication::platformName())
                                       .testFlag(QFileDialog::DontUseNativeDialog));
    return qtTexts;
}

QFileDialog::Options fileDialogOptions(QStringView platformName) {
    if (platformName == u"windows")
        return {};
    return QFileDialog::DontUseNativeDialog;
}
