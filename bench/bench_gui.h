// SPDX-License-Identifier: MIT
// What the benchmarks of the windows share: a key sent to the input screen
// and timed to its repaint, 24-megapixel photographs made to read, and the
// memory the process holds.
#pragma once

#include "gui/input/form1.h"
#include "gui/printing/report_preview.h"

#include <chrono>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QRandomGenerator>
#include <QTest>

// Sends one key to whatever has the focus and waits until the window has
// handled it and repainted; returns the time in milliseconds.
inline double keyToRepaint(Form1& form, Qt::Key key, QChar text) {
    QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : &form;
    const auto start = std::chrono::steady_clock::now();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, QString(text));
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, QString(text));
    QApplication::sendEvent(target, &release);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// A photograph-like picture of 6000 x 4000 pixels: gradients, shapes and
// grain, so that the JPEG holds about as much detail as a camera's.
inline QImage photoLike(int seed) {
    QImage image(6000, 4000, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int grain = int(random.bounded(96));
            line[x] = qRgb((x * 255 / 6000 + grain + seed * 40) & 255,
                           (y * 255 / 4000 + grain) & 255, ((x + y) / 40 + grain) & 255);
        }
    }
    QPainter painter(&image);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(random.generate()));
        painter.drawEllipse(random.bounded(6000), random.bounded(4000), random.bounded(800),
                            random.bounded(800));
    }
    return image;
}

// A line of /proc/self/status in MiB ("VmHWM": the peak, "VmRSS": now);
// -1 where there is none.
inline double statusMiB(const char* key) {
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key)) + 1).trimmed().split(' ').value(0).toDouble() /
                   1024;
    }
    return -1;
}

// Opens the print preview of a document over the input screen, as the
// program's platform does, and waits until it is shown; null when it is not.
inline ReportPreview* openPreview(Form1& form, const QString& title,
                                  std::shared_ptr<PrintDocument> document, Platform& platform) {
    showReportPreview(&form, title, std::move(document), platform);
    ReportPreview* preview = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* p = qobject_cast<ReportPreview*>(w))
            preview = p;
    }
    if (!preview || !QTest::qWaitForWindowExposed(preview))
        return nullptr;
    return preview;
}
