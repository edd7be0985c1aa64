// SPDX-License-Identifier: MIT
#include "gui/run_photos.h"

#include "domain/platform/platform.h"
#include "domain/tools/photo_folder.h"
#include "gui/run_journal.h"
#include "gui/window_registry.h"

#include <QDir>
#include <QFileInfo>
#include <QImageReader>
#include <QStandardPaths>

PhotoFolder& runPhotoFolder(RunContext& context) {
    if (!context.photoFolder)
        context.photoFolder = std::make_shared<PhotoFolder>(photoSuffixes());
    return *context.photoFolder;
}

bool photoFolderChosen(const RunContext& context) {
    return context.photoFolder && !context.photoFolder->path().isEmpty();
}

bool choosePhotoFolder(RunContext& context) {
    PhotoFolder& folder = runPhotoFolder(context);
    QString start = folder.path();
    if (start.isEmpty())
        start = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (!QFileInfo(start).isDir())
        start = QDir::homePath();
    const QString chosen =
        context.platform.chooseFolder(RunPhotosTexts::kChooseFolderCaption, start);
    if (chosen.isEmpty())
        return false;
    folder.open(chosen);
    // Kept with the job, for the next time it is loaded.
    context.companion.photoFolder = chosen;
    recordCompanionInJournal(context);
    return true;
}

QStringList photoSuffixes() {
    static const QStringList notPhotos = {QStringLiteral("svg"),  QStringLiteral("svgz"),
                                          QStringLiteral("ico"),  QStringLiteral("cur"),
                                          QStringLiteral("icns"), QStringLiteral("xbm"),
                                          QStringLiteral("xpm"),  QStringLiteral("pdf")};
    QStringList suffixes;
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        const QString suffix = QString::fromLatin1(format).toLower();
        if (!notPhotos.contains(suffix) && !suffixes.contains(suffix))
            suffixes << suffix;
    }
    return suffixes;
}
