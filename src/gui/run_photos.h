// SPDX-License-Identifier: MIT
#pragma once

#include <QString>
#include <QStringList>

class PhotoFolder;
struct RunContext;

// The photo folder of the run. One for every window that uses the photos:
// the preview, the input screen's mark for a number with no photo, the
// search, the sample sheets and the lab order. The operator chooses it once
// (in any of them) and it stays chosen for the run.
PhotoFolder& runPhotoFolder(RunContext& context);

// Whether the operator has chosen a photo folder in this run.
bool photoFolderChosen(const RunContext& context);

// Asks the operator for the photo folder, starting at the one chosen before
// (or the pictures folder), and opens it as the run's. True when one was
// chosen; a folder that cannot be read is chosen all the same (the windows
// say so), as a memory card may come back.
bool choosePhotoFolder(RunContext& context);

// The extensions of the image files Qt reads here, drawings and icons left
// out: a folder of photos may hold a logo or an icon that is no photo.
QStringList photoSuffixes();

namespace RunPhotosTexts {
inline const QString kChooseFolderCaption = QStringLiteral("写真フォルダの選択");
}  // namespace RunPhotosTexts
