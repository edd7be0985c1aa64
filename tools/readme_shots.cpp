// SPDX-License-Identifier: MIT
// Makes the pictures README shows: the input screen during a keyed day, and
// the first page of the 個人別 (per pupil) report, as PNG files in the
// folder given. Run by scripts/readme_shots.sh, so they can be made again.
//
//   QT_QPA_PLATFORM=offscreen build/tools/readme_shots docs

#include "app/program.h"
#include "domain/platform/platform_relay.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "gui/input/form1.h"
#include "gui/printing/report_renderer.h"
#include "support/job_builder.h"
#include "support/window_helpers.h"

#include <cstdio>

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QPrinter>
#include <QRandomGenerator>
#include <QTest>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral(".")))
        return 1;
    // The program's own face, as main() sets it.
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("MS UI Gothic"), QStringLiteral("Noto Sans CJK JP"),
                      QStringLiteral("IPAexGothic"), QStringLiteral("IPAGothic")});
    font.setPointSize(9);
    QApplication::setFont(font);

    Program<SilentPlatform> program(QStringLiteral("."));
    program.job = makeJob({1, 400, 1200, 401, 1200, 800, 1201, 9999, 150});
    program.job.customerName = QStringLiteral("桜ヶ丘小学校");
    program.job.eventName = QStringLiteral("運動会");
    program.job.shootingDate = QStringLiteral("2026-10-10");
    program.job.photographerName = QStringLiteral("山田");

    Form1& form = program.windows.get<Form1>();
    form.show();
    if (!QTest::qWaitForWindowActive(&form))
        return 3;
    // A day well on: 1046 pupils straight through the engine, the last ones
    // keyed on the screen, the last of them still open.
    QRandomGenerator random(12);
    const auto pupil = [&](int prints) {
        QString keys;
        for (int i = 0; i < prints; ++i)
            keys += QString::number(1 + random.bounded(2400)) + u'\r';
        return keys;
    };
    OrderEntry& engine = form.engine();
    for (int n = 0; n < 1046; ++n) {
        for (const QChar c : pupil(1 + random.bounded(40)) + u'/')
            engine.Form_KeyPress(c.unicode());
    }
    engine.Form_Activate();
    for (const int prints : {12, 3, 27, 6})
        typeIntoFocus(pupil(prints) + u'/');
    typeIntoFocus(pupil(4) + QStringLiteral("37"));
    QApplication::processEvents();
    if (!form.grab().save(out.filePath(QStringLiteral("input-screen.png"))))
        return 4;

    // Page 1 of the per-pupil report, through the renderer the preview uses.
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(out.filePath(QStringLiteral("pupil-report.pdf")));
    printer.setPageLayout(reportPageLayout());
    if (paintReport(pupilDocument(buildPupilReport(program.job)), &printer) < 1)
        return 5;
    std::printf("%s\n", qPrintable(out.path()));
    return 0;
}
