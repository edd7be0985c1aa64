// SPDX-License-Identifier: MIT
// Writes the fuzz target's seed files with the program's own writer: jobs
// keyed through the order-entry engine and corrected through the correction,
// as a run makes them. Run once by hand, into fuzz/seeds:
//   fuzz_make_seeds fuzz/seeds

#include "domain/entry/order_entry.h"
#include "domain/entry/record_correction.h"
#include "domain/files/job_file_writer.h"
#include "support/fake_platform.h"

#include <cstdio>

#include <QDir>

namespace {

struct Sizes {
    Number largeStart, largeEnd, largePrice;
    Number mediumStart, mediumEnd, mediumPrice;
    Number smallStart;
    std::int16_t smallEnd;
    std::int32_t smallPrice;
};

JobState setUp(const Sizes& s, const QString& customer) {
    JobState job;
    job.customerName = customer;
    job.eventName = QStringLiteral("運動会①");
    job.shootingDate = QStringLiteral("2024-5-1～2");
    job.photographerName = QStringLiteral("表ソ");  // trail bytes 0x5C
    job.largeMode = s.largeEnd == 0 ? 1 : 0;
    job.largeStart = s.largeStart;
    job.largeEnd = s.largeEnd;
    job.largeUnitPrice = s.largePrice;
    job.mediumMode = s.mediumEnd == 0 ? 1 : 0;
    job.mediumStart = s.mediumStart;
    job.mediumEnd = s.mediumEnd;
    job.mediumUnitPrice = s.mediumPrice;
    job.smallStart = s.smallStart;
    job.smallEnd = s.smallEnd;
    job.smallUnitPrice = s.smallPrice;
    return job;
}

// Keys every text through the input screen: '\n' is Enter.
void type(OrderEntry& entry, const QString& keys) {
    for (const QChar c : keys) {
        entry.Form_KeyPress(c == u'\n' ? OrderEntry::kKeyEnter : c.unicode());
        if (!entry.display().form1Enabled)
            entry.alertClosed();
    }
}

bool write(const QDir& dir, const QString& name, const JobState& job) {
    const JobFileSaveResult saved = saveJobFile(dir.filePath(name), job);
    std::printf("%s: %s\n", qPrintable(name), saved.saved ? "written" : qPrintable(saved.message));
    QFile::remove(dir.filePath(name) + QStringLiteral(".bak"));
    return saved.saved;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir dir(QFile::decodeName(argv[1]));
    FakePlatform platform;
    bool ok = true;

    // A job set up with all three sizes, nobody keyed yet.
    JobState fresh =
        setUp({1, 100, 800, 101, 300, 500, 301, 999, 100}, QStringLiteral("さくら小学校"));
    ok = write(dir, QStringLiteral("fresh.ptl"), fresh) && ok;

    // Pupils of 1, 9, 10 and 11 prints (the history's row edges), a removal,
    // typed leading zeros, three prints with one Enter, and a correction.
    {
        JobState job =
            setUp({1, 100, 800, 101, 300, 500, 301, 999, 100}, QStringLiteral("みどり幼稚園"));
        OrderEntry entry(job, platform);
        entry.Form_Load(QStringLiteral("/x"));
        type(entry, QStringLiteral("5\n/"));
        type(entry, QStringLiteral("301\n302\n303\n304\n305\n306\n307\n308\n309\n/"));
        type(entry, QStringLiteral("1\n2\n3\n4\n5\n101\n102\n103\n104\n105\n*"));
        type(entry, QStringLiteral("007\n150\n400\n400-\n999\n12\n13\n14\n15\n16\n17\n18\n="));
        type(entry, QStringLiteral("250"));
        entry.setVScroll1(3);
        type(entry, QStringLiteral("\n/"));
        RecordCorrection correction(job, platform);
        correction.setText1(QStringLiteral("2"));
        correction.setText2(QStringLiteral("120"));
        correction.Command2_Click();
        correction.setText2(QStringLiteral("301"));
        correction.Command4_Click();
        entry.Form_Activate();
        ok = write(dir, QStringLiteral("keyed.ptl"), job) && ok;
    }

    // Snaps only, one pupil of 100 prints and one left open (not saved).
    {
        JobState job = setUp({0, 0, 0, 0, 0, 0, 1, 9999, 29999}, QStringLiteral("ひまわり保育園"));
        OrderEntry entry(job, platform);
        entry.Form_Load(QStringLiteral("/x"));
        for (int i = 0; i < 100; ++i)
            type(entry, QString::number(9999 - i * 97) + u'\n');
        type(entry, QStringLiteral("/1\n2\n"));
        ok = write(dir, QStringLiteral("snaps_only.ptl"), job) && ok;
    }

    // Fractional bounds and prices, a negative price, the large size off.
    {
        JobState job = setUp({0, 0, 0, 10.5, 20.5, -150.25, 21, 40, 10}, QStringLiteral("12345"));
        job.customerName = 12345;
        OrderEntry entry(job, platform);
        entry.Form_Load(QStringLiteral("/x"));
        type(entry, QStringLiteral("11\n20\n21\n40\n/"));
        type(entry, QStringLiteral("15\n15\n15\n/"));
        ok = write(dir, QStringLiteral("fractions.ptl"), job) && ok;
    }

    // Two hundred pupils over the whole range.
    {
        JobState job =
            setUp({1, 3000, 700, 3001, 6000, 400, 6001, 9999, 90}, QStringLiteral("山田写真館"));
        OrderEntry entry(job, platform);
        entry.Form_Load(QStringLiteral("/x"));
        for (int p = 1; p <= 200; ++p) {
            QString keys;
            for (int i = 0; i < p % 23 + 1; ++i)
                keys += QString::number((p * 7919 + i * 104729) % 9999 + 1) + u'\n';
            type(entry, keys + u'/');
        }
        ok = write(dir, QStringLiteral("two_hundred.ptl"), job) && ok;
    }
    return ok ? 0 : 1;
}
