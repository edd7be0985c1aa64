// SPDX-License-Identifier: MIT
// The roster of a large school, 2,000 pupils, read from CSV (UTF-8 and
// Shift_JIS) and from an Excel workbook (as Excel writes it: text as shared
// strings, numbers as numbers) and imported; the job's companion file with that roster and
// 1,500 registered pupils tied to it, saved (synced, as every save) and
// loaded. Medians of 21 rounds.
//   cmake --preset release && ninja -C build-release bench_roster
//   ./build-release/bench/bench_roster
#include "domain/files/cp932.h"
#include "domain/roster/job_companion.h"
#include "domain/roster/roster_csv.h"
#include "domain/roster/roster_xlsx.h"
#include "support/xlsx_builder.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <QElapsedTimer>
#include <QTemporaryDir>

namespace {

double medianMs(const std::function<void()>& work) {
    std::vector<double> ms;
    for (int round = 0; round < 21; ++round) {
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main() {
    QString text = QStringLiteral("学年,組,出席番号,氏名,ふりがな,ID\r\n");
    QVector<QStringList> cells = {{"学年", "組", "出席番号", "氏名", "ふりがな", "ID"}};
    for (int i = 0; i < 2000; ++i) {
        text += QStringLiteral("%1,%2,%3,\"生徒 %4\",せいと %4,S%4\r\n")
                    .arg(1 + i / 400)
                    .arg(1 + i / 40 % 10)
                    .arg(1 + i % 40)
                    .arg(i);
        cells.append({QString::number(1 + i / 400), QString::number(1 + i / 40 % 10),
                      QString::number(1 + i % 40), QStringLiteral("生徒 %1").arg(i),
                      QStringLiteral("せいと %1").arg(i), QStringLiteral("S%1").arg(i)});
    }
    const QByteArray utf8 = text.toUtf8();
    const QByteArray shiftJis = encodeCp932(text);
    RosterImport imported;
    for (const auto& [name, bytes] : {std::pair{"UTF-8", utf8}, std::pair{"Shift_JIS", shiftJis}}) {
        const double ms = medianMs([&] {
            const RosterReadResult read = readRosterCsv(bytes);
            imported = importRoster(*read.table, guessRosterColumns(read.table->headers));
        });
        std::printf("roster of %d pupils from CSV (%s, %lld KiB): read and imported %.2f ms\n",
                    imported.roster.size(), name, static_cast<long long>(bytes.size() / 1024), ms);
    }

    const QByteArray workbook = XlsxBuilder().table(QStringLiteral("名簿"), cells).bytes();
    const double xlsxMs = medianMs([&] {
        const RosterReadResult read = readRosterXlsx(workbook);
        imported = importRoster(*read.table, guessRosterColumns(read.table->headers));
    });
    std::printf("roster of %d pupils from Excel (.xlsx, %lld KiB): read and imported %.2f ms\n",
                imported.roster.size(), static_cast<long long>(workbook.size() / 1024), xlsxMs);

    JobCompanion companion;
    companion.roster = imported.roster;
    for (int pupil = 1; pupil <= 1500; ++pupil)
        companion.ties[pupil] = pupil - 1;
    QTemporaryDir dir;
    const QString job = dir.filePath(QStringLiteral("job.ptl"));
    const double saveMs = medianMs([&] { saveJobCompanion(job, companion); });
    JobCompanionLoad loaded;
    const double loadMs = medianMs([&] { loaded = loadJobCompanion(job); });
    std::printf("companion of %d pupils, %zu ties: saved %.2f ms, loaded %.2f ms\n",
                loaded.companion.roster.size(), loaded.companion.ties.size(), saveMs, loadMs);
    return loaded.companion == companion ? 0 : 1;
}
