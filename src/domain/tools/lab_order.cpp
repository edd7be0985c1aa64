// SPDX-License-Identifier: MIT
#include "domain/tools/lab_order.h"

#include "domain/files/file_replacement.h"
#include "domain/files/file_write_texts.h"
#include "domain/files/job_file_writer.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "domain/tools/lab_export.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

namespace LabOrderTexts {
const QString kFolderSuffix = QStringLiteral("_ラボ出力");
const QString kDpofFolder = QStringLiteral("DPOF_%1");
const QString kDpofCardFolder = QStringLiteral("DPOF_%1_%2／%3");
const QString kNotesFile = QStringLiteral("注意事項.txt");
const QString kTemporaryPrefix = QStringLiteral(".pictor-order-");
const QString kWritten =
    QStringLiteral("ラボ出力のフォルダーを作りました。\n%1\n\n写真 %2 点、プリント %3 枚分です。");
const QString kNothingOrdered =
    QStringLiteral("登録済みの注文がないため、ラボ出力のフォルダーは作りませんでした。");
const QString kMissing =
    QStringLiteral("写真フォルダーに写真がない番号があります（ラボ出力には入っていません）：\n%1");
const QString kUnsized = QStringLiteral(
    "どのサイズの範囲にも入っていない番号があります（ラボ出力には入っていません）：\n%1");
const QString kNotJpeg = QStringLiteral(
    "JPEG でない写真は DPOF のカードに入れられないため、入れていません。サイズ別のフォルダーには"
    "入っていますが、JPEG しか受け付けないラボも多いので、渡す前に確かめてください：\n%1");
const QString kNotJpegLeftOut = QStringLiteral(
    "JPEG でない写真は DPOF のカードに入れられないため、ラボ出力には入っていません：\n%1");
const QString kNotJpegInFolders = QStringLiteral(
    "JPEG でない写真がサイズ別のフォルダーに入っています。JPEG しか受け付けないラボも多いので、"
    "渡す前に確かめてください：\n%1");
const QString kUnreadable =
    QStringLiteral("写真番号として読めない注文が %1 枚あり、ラボ出力には入っていません。");
const QString kPendingLeftOut =
    QStringLiteral("入力中でまだ登録していない注文（%1 枚）は含めていません。");
const QString kSeeNotes =
    QStringLiteral("カードへの入れ方と番号の一覧は、フォルダー内の「%1」にもあります。");
const QString kFailed = QStringLiteral("ラボ出力のフォルダーを作れませんでした。\n%1\n%2");
const QString kNothingMade = QStringLiteral("保存先には何も作っていません。");
const QString kNothingLeft =
    QStringLiteral("作りかけのフォルダーは消したので、保存先には何も残っていません。");
const QString kLeftBehind = QStringLiteral(
    "作りかけのフォルダー %1 を消しきれませんでした。お手数ですが、手で消してください。");
const QString kCancelled = QStringLiteral(
    "ラボ出力を取り消しました。作りかけのフォルダーは消したので、保存先には何も残っていません。");
const QString kMakeFolderFailed = QStringLiteral("フォルダー %1 を作れませんでした。");
const QString kReadPhotoFailed = QStringLiteral(
    "写真 %1 を読めませんでした（写真フォルダーから消されたか、動かされた可能性があります）。");
const QString kWriteFailed = QStringLiteral("%1 を書き込めませんでした。");
const QString kRenameFailed =
    QStringLiteral("できあがったフォルダーに名前 %1 を付けられませんでした。");
const QString kMoreNumbers = QStringLiteral("ほか %1 件");
const QString kCards = QStringLiteral(
    "DPOF のカードは %1 枚分です。それぞれのフォルダーの中の DCIM と MISC を、カード（SD カードや"
    " USB "
    "メモリー）のいちばん上に置いてラボへ渡します（「カードに書き込む」でそのまま書けます）：\n%2");
const QString kSkipped =
    QStringLiteral("作っている途中で読めなくなった写真があり、ラボ出力には入っていません：\n%1");
const QString kDoubts = QStringLiteral("確かめておきたい写真があります：\n%1");
const QString kCardNotEmpty = QStringLiteral(
    "%1 は空ではないため、カードを書き込みませんでした（%2 があります）。\n"
    "カードを読む機械はいちばん上の DCIM と MISC を読むので、ほかの写真や注文が入っていると、"
    "それも一緒にプリントされてしまいます。空のカードか、空のフォルダーを選んでください。");
const QString kCardWritten = QStringLiteral(
    "カードを書き込みました：%2\n%1\n\nいちばん上に DCIM（写真）と MISC（注文の "
    "AUTPRINT.MRK）があります。このままラボへ渡してください。");
const QString kCardCancelled =
    QStringLiteral("カードの書き込みを取り消しました。書き込み先には何も残っていません。");
const QString kCardFailed = QStringLiteral("カードを書き込めませんでした。\n%1\n%2");
const QString kNoCard =
    QStringLiteral("%1 に DPOF のカードの中身（DCIM と MISC/AUTPRINT.MRK）がありません。");
}  // namespace LabOrderTexts

namespace {

using namespace LabOrderTexts;

constexpr int kListedNumbers = 20;  // in the message; the notes file has them all
constexpr int kMaxDpofQuantity = 999;
constexpr qint64 kCopyBlock = 1 << 20;

const QString kNotesTitle = QStringLiteral("ラボ出力 %1");
const QString kNotesJob = QStringLiteral("（得意先名）%1　（行事名）%2　（撮影日）%3");
const QString kNotesCards = QStringLiteral("DPOF のカード（%1 枚）");
const QString kNotesCardsHow = QStringLiteral(
    "カード 1 枚に、フォルダー 1 つの中身を入れます。フォルダーの中の DCIM と MISC を、"
    "カード（SD カードや USB メモリー）のいちばん上に置いてください（フォルダーごと入れると、"
    "カードを読む機械が注文を見つけられません）。カードは空のものを使います。");
const QString kNotesCard = QStringLiteral("%1：%2　カードの名前 \"%3\"");
const QString kNotesFolders = QStringLiteral("サイズ別のフォルダー");
const QString kNotesFoldersHow = QStringLiteral(
    "大・中・小のフォルダーに写真が 1 点ずつ、プリントの枚数を名前に付けて入っています"
    "（0132_3枚.jpg は 132 番を 3 枚）。");
const QString kNotesDoubts = QStringLiteral("確かめておきたい写真");
const QString kNotesMissing = QStringLiteral("写真フォルダーに写真がない番号");
const QString kNotesUnsized = QStringLiteral("どのサイズの範囲にも入っていない番号");
const QString kNotesNotJpeg = QStringLiteral("JPEG でないため DPOF に入れなかった番号");
const QString kNotesNotJpegInFolders =
    QStringLiteral("JPEG でない写真（サイズ別のフォルダーに入っています）");
const QString kNotesSkipped = QStringLiteral("作っている途中で読めなくなったため入れなかった写真");
const QString kPhotoCount = QStringLiteral("%1（%2 枚）");
const QString kCardText = QStringLiteral("%1 %2／%3（写真 %4 点、プリント %5 枚）");
const QString kSkippedLine = QStringLiteral("%1（%2 枚）：%3");

const PrintSize kSizes[] = {PrintSize::Large, PrintSize::Medium, PrintSize::Small};

// The size's letter on a card, in ASCII.
QString sizeLetter(PrintSize size) {
    switch (size) {
        case PrintSize::Large:
            return QStringLiteral("L");
        case PrintSize::Medium:
            return QStringLiteral("M");
        case PrintSize::Small:
            return QStringLiteral("S");
    }
    return QString();
}

QString cardUserName(const LabOrderCard& card, const QString& orderId, const QString& job) {
    return QStringList{
        QStringLiteral("%1 %2/%3").arg(sizeLetter(card.size)).arg(card.index).arg(card.count),
        orderId, job}
        .join(u' ')
        .simplified();
}

QString suffixOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

QStringList photoLines(const QVector<LabOrderPhoto>& photos) {
    QStringList lines;
    for (const LabOrderPhoto& photo : photos)
        lines << kPhotoCount.arg(photo.number).arg(photo.prints);
    return lines;
}

// The first lines, then how many more.
QString shortList(const QStringList& lines) {
    QStringList shown = lines.mid(0, kListedNumbers);
    if (lines.size() > kListedNumbers)
        shown << kMoreNumbers.arg(lines.size() - kListedNumbers);
    return shown.join(QStringLiteral("、"));
}

QStringList skippedLines(const QVector<LabOrderSkipped>& skipped, const LabOrderPlan& plan) {
    QStringList lines;
    for (const LabOrderSkipped& photo : skipped) {
        int prints = 0;
        for (const LabOrderPhoto& p : plan.photos)
            if (p.number == photo.number)
                prints = p.prints;
        lines << kSkippedLine.arg(photo.number).arg(prints).arg(photoReadCauseText(photo.error));
    }
    return lines;
}

QString orderFolderName(const JobState& job, const QString& orderId, int maxNameBytes) {
    // Room for the suffix, the id and a "(999)" that tells it from one already there.
    const QString tail = kFolderSuffix + u'_' + orderId;
    const QString jobExtension = QStringLiteral(".ptl");
    const int room = maxNameBytes - int(QFile::encodeName(tail + QStringLiteral("(999)")).size()) +
                     int(QFile::encodeName(jobExtension).size());
    QString name = defaultJobFileName(job, room);
    name.chop(jobExtension.size());
    return name + tail;
}

// The jobs of a size's photos, a count over 999 split, dealt onto cards of
// at most kMaxDpofJobs jobs.
QVector<QVector<LabOrderPhoto>> dealOntoCards(const QVector<LabOrderPhoto>& photos) {
    QVector<QVector<LabOrderPhoto>> cards;
    for (const LabOrderPhoto& photo : photos) {
        for (int left = photo.prints; left > 0; left -= kMaxDpofQuantity) {
            if (cards.isEmpty() || cards.last().size() == kMaxDpofJobs)
                cards.append(QVector<LabOrderPhoto>());
            cards.last().append({photo.number, std::min(left, kMaxDpofQuantity)});
        }
    }
    return cards;
}

}  // namespace

int LabOrderCard::photos() const {
    std::set<int> numbers;
    for (const LabOrderPhoto& job : jobs)
        numbers.insert(job.number);
    return int(numbers.size());
}

int LabOrderCard::prints() const {
    int prints = 0;
    for (const LabOrderPhoto& job : jobs)
        prints += job.prints;
    return prints;
}

QString labOrderCardText(const LabOrderCard& card) {
    return kCardText.arg(ReportText::sizeName(card.size))
        .arg(card.index)
        .arg(card.count)
        .arg(card.photos())
        .arg(QLocale(QLocale::Japanese).toString(card.prints()));
}

LabOrderSnapshot takeLabOrderSnapshot(const JobState& job,
                                      const std::function<QString(int)>& photoFileOf) {
    LabOrderSnapshot snapshot{job, QVector<QString>(JobState::kMaxPhotoNumber + 1), {}};
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        snapshot.photoFiles[n] = photoFileOf(n);
    return snapshot;
}

QVector<int> labOrderNumbers(const JobState& job) {
    const RegisteredOrders orders = collectRegisteredOrders(job);
    QVector<int> numbers;
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        if (orders.countByPhoto.value(n) > 0 && sizeOf(job, n))
            numbers.append(n);
    return numbers;
}

QString dcfPathOf(int photoNumber) {
    const int folder = 100 + photoNumber / 10000;
    const int file = photoNumber % 10000 == 0 ? 1 : photoNumber % 10000;
    return QStringLiteral("DCIM/%1PICTR/PICT%2.JPG").arg(folder).arg(file, 4, 10, QLatin1Char('0'));
}

QString plainFileName(int photoNumber, int prints, const QString& suffix) {
    QString name = QStringLiteral("%1_%2枚").arg(photoNumber, 4, 10, QLatin1Char('0')).arg(prints);
    if (!suffix.isEmpty())
        name += u'.' + suffix;
    return name;
}

QString dpofText(const QString& text) {
    QString kept = text.normalized(QString::NormalizationForm_KC);
    kept.replace(u'"', u'\'');
    for (const QChar c : kept)
        if (c.unicode() < 0x20 || c.unicode() >= 0x7F)
            return QString();  // cut into pieces, it would name someone else
    return kept.simplified();
}

QByteArray autPrintText(const DpofHeader& header, const QVector<LabOrderPhoto>& photos) {
    QStringList lines = {
        QStringLiteral("[HDR]"),
        QStringLiteral("GEN REV = 01.10"),
        QStringLiteral("GEN CRT = \"%1\" -%2")
            .arg(dpofText(header.creator), dpofText(header.creatorVersion)),
        QStringLiteral("GEN DTM = %1")
            .arg(header.made.toString(QStringLiteral("yyyy:MM:dd:HH:mm:ss"))),
    };
    const QString user = dpofText(header.userName);
    if (!user.isEmpty())
        lines << QStringLiteral("USR NAM = \"%1\"").arg(user);
    int printId = 0;
    for (const LabOrderPhoto& photo : photos) {
        for (int left = photo.prints; left > 0; left -= kMaxDpofQuantity) {
            lines << QString() << QStringLiteral("[JOB]")
                  << QStringLiteral("PRT PID = %1").arg(++printId, 3, 10, QLatin1Char('0'))
                  << QStringLiteral("PRT TYP = STD")
                  << QStringLiteral("PRT QTY = %1")
                         .arg(std::min(left, kMaxDpofQuantity), 3, 10, QLatin1Char('0'))
                  << QStringLiteral("IMG FMT = EXIF2 -J")
                  << QStringLiteral("<IMG SRC = \"../%1\">").arg(dcfPathOf(photo.number));
        }
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

LabOrderPlan planLabOrder(const LabOrderSnapshot& snapshot, const LabOrderForms& forms,
                          const QDateTime& now, int maxNameBytes) {
    const JobState& job = snapshot.job;
    const RegisteredOrders orders = collectRegisteredOrders(job);
    LabOrderPlan plan;
    plan.forms = forms;
    plan.orderId = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    plan.folderName = orderFolderName(job, plan.orderId, maxNameBytes);
    plan.pendingPrints = int(orders.pendingPrints);
    plan.doubts = snapshot.doubts;
    plan.made = now;
    plan.header = orders.header;

    QVector<LabOrderPhoto> bySize[3];
    int unsizedPrints = 0;
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n) {
        const int prints = int(orders.countByPhoto.value(n));
        if (prints <= 0)
            continue;
        const std::optional<PrintSize> size = sizeOf(job, n);
        if (!size) {
            plan.unsized.append({n, prints});
            unsizedPrints += prints;
            continue;
        }
        const QString& source = snapshot.photoFiles.value(n);
        if (source.isEmpty()) {
            plan.missing.append({n, prints});
            continue;
        }
        plan.photos.append({n, prints});
        plan.prints += prints;
        bySize[int(*size)].append({n, prints});
    }
    plan.unreadablePrints = std::max(0, int(orders.unsizedPrints) - unsizedPrints);

    // What a photo is, its bytes say: a PNG named .jpg stays out of DPOF.
    std::set<int> jpeg;
    for (const LabOrderPhoto& photo : plan.photos) {
        int error = 0;
        // One that cannot be read now is tried when the order is made, and
        // told with its cause then.
        if (isJpegFile(snapshot.photoFiles[photo.number], &error) || error != 0)
            jpeg.insert(photo.number);
        else
            plan.notJpeg.append(photo);
    }

    const QString jobName =
        QStringList{dpofText(orders.header.customerName), dpofText(orders.header.eventName)}
            .join(u' ')
            .simplified();
    for (const PrintSize size : kSizes) {
        const QVector<LabOrderPhoto>& photos = bySize[int(size)];
        if (photos.isEmpty())
            continue;
        const QString sizeName = ReportText::sizeName(size);
        if (forms.dpof) {
            QVector<LabOrderPhoto> onCards;
            for (const LabOrderPhoto& photo : photos)
                if (jpeg.count(photo.number))
                    onCards.append(photo);
            const QVector<QVector<LabOrderPhoto>> dealt = dealOntoCards(onCards);
            for (qsizetype i = 0; i < dealt.size(); ++i) {
                LabOrderCard card;
                card.size = size;
                card.index = int(i + 1);
                card.count = int(dealt.size());
                card.folder = card.count == 1
                                  ? kDpofFolder.arg(sizeName)
                                  : kDpofCardFolder.arg(sizeName).arg(card.index).arg(card.count);
                card.jobs = dealt[i];
                card.header.made = now;
                card.header.userName = cardUserName(card, plan.orderId, jobName);
                int last = 0;
                for (const LabOrderPhoto& photo : card.jobs) {
                    if (photo.number == last)
                        continue;  // a count split over several jobs: one file
                    last = photo.number;
                    plan.files.append({snapshot.photoFiles[photo.number],
                                       card.folder + u'/' + dcfPathOf(photo.number), photo.number});
                }
                plan.cards.append(card);
            }
        }
        if (forms.plainFolders) {
            for (const LabOrderPhoto& photo : photos) {
                const QString& source = snapshot.photoFiles[photo.number];
                plan.files.append(
                    {source,
                     sizeName + u'/' + plainFileName(photo.number, photo.prints, suffixOf(source)),
                     photo.number});
            }
        }
    }
    if (forms.plainFolders) {
        const LabExportBytes csv = labExportBytes(labExportTable(job, LabExportKind::ByPhoto),
                                                  LabExportEncoding::ShiftJis);
        if (csv.ok)
            plan.texts.append(
                {defaultLabExportFileName(job, LabExportKind::ByPhoto, maxNameBytes), csv.bytes});
    }
    return plan;
}

QByteArray labOrderNotes(const LabOrderPlan& plan, const QVector<LabOrderSkipped>& skipped) {
    QStringList lines = {
        kNotesTitle.arg(plan.orderId),
        kNotesJob.arg(plan.header.customerName, plan.header.eventName, plan.header.shootingDate)};
    const auto section = [&](const QString& title, const QStringList& body) {
        if (body.isEmpty())
            return;
        lines << QString() << QStringLiteral("■ %1").arg(title);
        lines << body;
    };
    const auto listed = [&](const QString& title, const QStringList& body) {
        if (!body.isEmpty())
            section(QStringLiteral("%1（%2 件）").arg(title).arg(body.size()), body);
    };
    if (!plan.cards.isEmpty()) {
        QStringList body = {kNotesCardsHow};
        for (const LabOrderCard& card : plan.cards)
            body << kNotesCard.arg(card.folder, labOrderCardText(card), card.header.userName);
        section(kNotesCards.arg(plan.cards.size()), body);
    }
    if (plan.forms.plainFolders && !plan.photos.isEmpty())
        section(kNotesFolders, {kNotesFoldersHow});
    listed(kNotesDoubts, photoDoubtLines(plan.doubts));
    listed(kNotesSkipped, skippedLines(skipped, plan));
    listed(kNotesMissing, photoLines(plan.missing));
    listed(kNotesUnsized, photoLines(plan.unsized));
    if (plan.forms.dpof)
        listed(kNotesNotJpeg, photoLines(plan.notJpeg));
    else
        listed(kNotesNotJpegInFolders, photoLines(plan.notJpeg));
    // UTF-8 with a byte-order mark, CR LF: every Notepad opens it as Japanese.
    return QByteArray("\xEF\xBB\xBF") +
           (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

namespace {

// A photo's data into a new file of its own: a reflink where the file
// system shares blocks safely, else a copy.
class PhotoCopier {
public:
    PhotoCopier(bool tryClone, const std::atomic<bool>& cancel)
        : tryClone_(tryClone), cancel_(cancel) {}

    enum class Outcome { Done, SourceFailed, TargetFailed, Cancelled };
    struct Step {
        Outcome outcome = Outcome::Done;
        int error = 0;
        bool cloned = false;
    };

    // Never over anything at to.
    Step copy(const QString& from, const QString& to);

private:
    Step copyBytes(const SystemFiles::OpenFile& source, const SystemFiles::OpenFile& target);

    bool tryClone_;
    const std::atomic<bool>& cancel_;
    QByteArray buffer_;
};

PhotoCopier::Step PhotoCopier::copy(const QString& from, const QString& to) {
    SystemFiles::OpenFile source;
    if (const int error = source.openToReadThroughLinks(from); error != 0)
        return {Outcome::SourceFailed, error};
    SystemFiles::OpenFile target;
    if (const int error = target.createNew(to, SystemFiles::NewFileAccess::Usual); error != 0)
        return {Outcome::TargetFailed, error};
    Step step;
    if (tryClone_) {
        const int error = SystemFiles::cloneFile(source.descriptor(), target.descriptor());
        if (error == 0)
            step.cloned = true;
        else if (SystemFiles::cloneUnsupported(error))
            tryClone_ = false;  // the rest is copied
        else
            return {Outcome::TargetFailed, error};
    }
    if (!step.cloned) {
        step = copyBytes(source, target);
        if (step.outcome != Outcome::Done)
            return step;
    }
    if (const int error = SystemFiles::syncData(target.descriptor()); error != 0)
        return {Outcome::TargetFailed, error};
    if (const int error = target.close(); error != 0)
        return {Outcome::TargetFailed, error};
    return step;
}

PhotoCopier::Step PhotoCopier::copyBytes(const SystemFiles::OpenFile& source,
                                         const SystemFiles::OpenFile& target) {
    if (buffer_.isEmpty())
        buffer_.resize(kCopyBlock);
    for (;;) {
        int error = 0;
        const qint64 got = source.read(buffer_.data(), buffer_.size(), &error);
        if (got < 0)
            return {Outcome::SourceFailed, error};
        if (got == 0)
            return {};
        if (const int written = target.write(buffer_.constData(), got); written != 0)
            return {Outcome::TargetFailed, written};
        if (cancel_.load(std::memory_order_relaxed))
            return {Outcome::Cancelled};
    }
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
}

// One making of an order folder.
class OrderWriter {
public:
    OrderWriter(const LabOrderPlan& plan, const QString& destination,
                const std::atomic<bool>& cancel, const LabOrderProgress& progress,
                LabOrderCopying copying)
        : plan_(plan),
          destination_(destination),
          cancel_(cancel),
          progress_(progress),
          copier_(copying == LabOrderCopying::CloneWherePossible, cancel) {}

    LabOrderResult run();

private:
    bool makeTemporaryFolder();
    bool makeFolders();
    bool putFile(const LabOrderFile& file);
    void skip(const LabOrderFile& file, int error);
    bool writeCard(const LabOrderCard& card);
    bool writeText(const QString& target, const QByteArray& bytes);
    bool syncFolders();
    bool giveName();
    bool fail(const QString& what, int error);
    bool stopped();
    void step();
    QString inside(const QString& relative) const { return temporary_ + u'/' + relative; }
    QString successText() const;

    const LabOrderPlan& plan_;
    const QString destination_;
    const std::atomic<bool>& cancel_;
    const LabOrderProgress& progress_;
    PhotoCopier copier_;
    QString temporary_;
    QStringList folders_;                // made inside temporary_, parents first
    std::map<int, QStringList> placed_;  // the files put in, by photo number
    std::set<int> skippedNumbers_;
    int done_ = 0;
    int total_ = 0;
    LabOrderResult result_;
};

LabOrderResult OrderWriter::run() {
    if (plan_.photos.isEmpty() && plan_.missing.isEmpty() && plan_.unsized.isEmpty()) {
        result_.message = kNothingOrdered;
        return result_;
    }
    total_ = int(plan_.files.size() + plan_.cards.size() + plan_.texts.size() + 1);
    if (!makeTemporaryFolder()) {
        result_.message += QStringLiteral("\n\n") + kNothingMade;
        return result_;
    }
    bool ok = makeFolders();
    for (qsizetype i = 0; ok && i < plan_.files.size(); ++i)
        ok = !stopped() && putFile(plan_.files[i]);
    for (qsizetype i = 0; ok && i < plan_.cards.size(); ++i)
        ok = !stopped() && writeCard(plan_.cards[i]);
    for (qsizetype i = 0; ok && i < plan_.texts.size(); ++i)
        ok = !stopped() && writeText(plan_.texts[i].target, plan_.texts[i].bytes);
    ok = ok && !stopped() && writeText(kNotesFile, labOrderNotes(plan_, result_.skipped));
    ok = ok && !stopped() && syncFolders() && giveName();
    if (ok) {
        result_.written = true;
        for (const LabOrderCard& card : plan_.cards) {
            result_.cards.append(card);
            result_.cards.last().folder = QDir(result_.path).filePath(card.folder);
        }
        result_.message = successText();
        return result_;
    }
    // Nothing half-made is left: the temporary folder goes with all it holds.
    result_.leftBehind = SystemFiles::removeTree(temporary_) != 0;
    SystemFiles::syncFolder(destination_);
    const QString after = result_.leftBehind ? kLeftBehind.arg(shown(temporary_)) : kNothingLeft;
    if (result_.cancelled)
        result_.message = result_.leftBehind ? kLeftBehind.arg(shown(temporary_)) : kCancelled;
    else
        result_.message += QStringLiteral("\n\n") + after;
    return result_;
}

bool OrderWriter::stopped() {
    if (!cancel_.load(std::memory_order_relaxed))
        return false;
    result_.cancelled = true;
    return true;
}

void OrderWriter::step() {
    ++done_;
    if (progress_)
        progress_(done_, total_);
}

bool OrderWriter::fail(const QString& what, int error) {
    result_.systemError = error;
    result_.fault = faultOfSystemError(error);
    result_.message = kFailed.arg(what, FileWriteTexts::causeText(result_.fault, error));
    return false;
}

bool OrderWriter::makeTemporaryFolder() {
    for (int attempt = 0;; ++attempt) {
        temporary_ = QDir(destination_)
                         .filePath(kTemporaryPrefix +
                                   QString::number(QRandomGenerator::global()->generate(), 16));
        const int error = SystemFiles::makeFolder(temporary_);
        if (error == 0)
            return true;
        if (error != SystemFiles::alreadyExists() || attempt == 100) {
            fail(kMakeFolderFailed.arg(shown(destination_)), error);
            return false;
        }
    }
}

bool OrderWriter::makeFolders() {
    std::set<QString> wanted;
    const auto addParents = [&](const QString& target) {
        for (qsizetype slash = target.indexOf(u'/'); slash > 0;
             slash = target.indexOf(u'/', slash + 1))
            wanted.insert(target.left(slash));
    };
    for (const LabOrderFile& file : plan_.files)
        addParents(file.target);
    for (const LabOrderCard& card : plan_.cards)
        addParents(card.folder + QStringLiteral("/MISC/AUTPRINT.MRK"));
    for (const LabOrderText& text : plan_.texts)
        addParents(text.target);
    // In order, a folder comes before what it holds.
    for (const QString& folder : wanted) {
        const int error = SystemFiles::makeFolder(inside(folder));
        if (error != 0)
            return fail(kMakeFolderFailed.arg(shown(inside(folder))), error);
        folders_ << inside(folder);
    }
    return true;
}

bool OrderWriter::putFile(const LabOrderFile& file) {
    if (skippedNumbers_.count(file.number)) {
        step();
        return true;
    }
    const QString target = inside(file.target);
    const PhotoCopier::Step copied = copier_.copy(file.source, target);
    switch (copied.outcome) {
        case PhotoCopier::Outcome::Done:
            ++(copied.cloned ? result_.cloned : result_.copied);
            placed_[file.number] << target;
            step();
            return true;
        case PhotoCopier::Outcome::SourceFailed:
            // The photo's own fault: it is left out, and the order goes on.
            SystemFiles::removeFile(target);
            skip(file, copied.error);
            step();
            return true;
        case PhotoCopier::Outcome::TargetFailed:
            return fail(kWriteFailed.arg(shown(target)), copied.error);
        case PhotoCopier::Outcome::Cancelled:
            return !stopped();
    }
    return false;
}

void OrderWriter::skip(const LabOrderFile& file, int error) {
    skippedNumbers_.insert(file.number);
    result_.skipped.append({file.number, file.source, error});
    // Its files put in before go too: every form of the order holds the same photos.
    for (const QString& placed : placed_[file.number])
        SystemFiles::removeFile(placed);
    placed_.erase(file.number);
}

bool OrderWriter::writeCard(const LabOrderCard& card) {
    QVector<LabOrderPhoto> jobs;
    for (const LabOrderPhoto& job : card.jobs)
        if (!skippedNumbers_.count(job.number))
            jobs.append(job);
    if (!jobs.isEmpty() && !writeText(card.folder + QStringLiteral("/MISC/AUTPRINT.MRK"),
                                      autPrintText(card.header, jobs)))
        return false;
    if (jobs.isEmpty())
        step();
    return true;
}

bool OrderWriter::writeText(const QString& target, const QByteArray& bytes) {
    const QString path = inside(target);
    SystemFiles::OpenFile file;
    int error = file.createNew(path, SystemFiles::NewFileAccess::Usual);
    if (error == 0)
        error = file.write(bytes.constData(), bytes.size());
    if (error == 0)
        error = SystemFiles::syncData(file.descriptor());
    if (error == 0)
        error = file.close();
    if (error != 0)
        return fail(kWriteFailed.arg(shown(path)), error);
    step();
    return true;
}

bool OrderWriter::syncFolders() {
    for (auto it = folders_.crbegin(); it != folders_.crend(); ++it)
        if (const int error = SystemFiles::syncFolder(*it); error != 0)
            return fail(kWriteFailed.arg(shown(*it)), error);
    if (const int error = SystemFiles::syncFolder(temporary_); error != 0)
        return fail(kWriteFailed.arg(shown(temporary_)), error);
    return true;
}

bool OrderWriter::giveName() {
    // Never over a folder already there: the next free "(2)", "(3)"...
    for (int copy = 1;; ++copy) {
        const QString name =
            copy == 1 ? plan_.folderName : plan_.folderName + QStringLiteral("(%1)").arg(copy);
        const QString path = QDir(destination_).filePath(name);
        const int error = SystemFiles::renameNew(temporary_, path);
        if (error == 0) {
            result_.path = path;
            SystemFiles::syncFolder(destination_);
            return true;
        }
        if (error != SystemFiles::alreadyExists() || copy == 999)
            return fail(kRenameFailed.arg(shown(path)), error);
    }
}

QString OrderWriter::successText() const {
    // What was written, counted: a photo left out is in no count.
    int photos = 0;
    int prints = 0;
    for (const LabOrderPhoto& photo : plan_.photos) {
        if (!placed_.count(photo.number))
            continue;
        ++photos;
        prints += photo.prints;
    }
    QStringList parts = {kWritten.arg(shown(result_.path)).arg(photos).arg(prints)};
    if (!plan_.cards.isEmpty()) {
        QStringList cards;
        for (const LabOrderCard& card : plan_.cards)
            cards << QStringLiteral("%1：%2").arg(card.folder, labOrderCardText(card));
        parts << kCards.arg(plan_.cards.size()).arg(cards.join(u'\n'));
    }
    if (!plan_.doubts.isEmpty())
        parts << kDoubts.arg(shortList(photoDoubtLines(plan_.doubts)));
    if (!result_.skipped.isEmpty())
        parts << kSkipped.arg(shortList(skippedLines(result_.skipped, plan_)));
    if (!plan_.missing.isEmpty())
        parts << kMissing.arg(shortList(photoLines(plan_.missing)));
    if (!plan_.unsized.isEmpty())
        parts << kUnsized.arg(shortList(photoLines(plan_.unsized)));
    if (!plan_.notJpeg.isEmpty()) {
        const QString& text = !plan_.forms.plainFolders ? kNotJpegLeftOut
                              : plan_.forms.dpof        ? kNotJpeg
                                                        : kNotJpegInFolders;
        parts << text.arg(shortList(photoLines(plan_.notJpeg)));
    }
    if (plan_.unreadablePrints > 0)
        parts << kUnreadable.arg(plan_.unreadablePrints);
    if (plan_.pendingPrints > 0)
        parts << kPendingLeftOut.arg(plan_.pendingPrints);
    parts << kSeeNotes.arg(kNotesFile);
    return parts.join(QStringLiteral("\n\n"));
}

}  // namespace

LabOrderResult writeLabOrder(const LabOrderPlan& plan, const QString& destination,
                             const std::atomic<bool>& cancel, const LabOrderProgress& progress,
                             LabOrderCopying copying) {
    return OrderWriter(plan, destination, cancel, progress, copying).run();
}

namespace {

// The names a system puts on every drive it mounts: no sign of a camera's
// or another order's files.
bool isSystemsOwn(const QString& name) {
    return name.compare(QStringLiteral("System Volume Information"), Qt::CaseInsensitive) == 0;
}

// One copying of a card folder onto the top of a card.
class CardWriter {
public:
    CardWriter(const QString& cardFolder, const QString& root, const std::atomic<bool>& cancel,
               const LabOrderProgress& progress)
        : card_(cardFolder),
          root_(root),
          cancel_(cancel),
          progress_(progress),
          copier_(true, cancel) {}

    LabOrderCardResult run();

private:
    bool copyTree(const QString& from, const QString& to);
    bool fail(const QString& what, int error);

    const QString card_;
    const QString root_;
    const std::atomic<bool>& cancel_;
    const LabOrderProgress& progress_;
    PhotoCopier copier_;
    QStringList folders_;
    int done_ = 0;
    int total_ = 0;
    LabOrderCardResult result_;
};

LabOrderCardResult CardWriter::run() {
    const QDir card(card_);
    if (!card.exists(QStringLiteral("DCIM")) ||
        !QFileInfo(card.filePath(QStringLiteral("MISC/AUTPRINT.MRK"))).isFile()) {
        result_.refused = true;
        result_.message = kNoCard.arg(shown(card_));
        return result_;
    }
    QStringList there = QDir(root_).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                              QDir::NoDotAndDotDot);
    there.erase(std::remove_if(there.begin(), there.end(), isSystemsOwn), there.end());
    if (!QFileInfo(root_).isDir() || !there.isEmpty()) {
        result_.refused = true;
        there.sort(Qt::CaseInsensitive);
        QStringList named = there.mid(0, 3);
        if (there.size() > 3)
            named << kMoreNumbers.arg(there.size() - 3);
        result_.message = kCardNotEmpty.arg(shown(root_), named.join(QStringLiteral("、")));
        return result_;
    }
    QDirIterator files(card_, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        files.next();
        ++total_;
    }

    // Made whole under a hidden name, then DCIM and MISC moved up, MISC last:
    // a reader finds a print order only once its photos are all there.
    const QString temporary =
        QDir(root_).filePath(QStringLiteral(".pictor-card-") +
                             QString::number(QRandomGenerator::global()->generate(), 16));
    if (const int error = SystemFiles::makeFolder(temporary); error != 0) {
        fail(kMakeFolderFailed.arg(shown(temporary)), error);
        return result_;
    }
    QStringList moved;
    bool ok = true;
    for (const QString& top : {QStringLiteral("DCIM"), QStringLiteral("MISC")})
        ok = ok && copyTree(card.filePath(top), temporary + u'/' + top);
    for (auto it = folders_.crbegin(); ok && it != folders_.crend(); ++it)
        if (const int error = SystemFiles::syncFolder(*it); error != 0)
            ok = fail(kWriteFailed.arg(shown(*it)), error);
    for (const QString& top : {QStringLiteral("DCIM"), QStringLiteral("MISC")}) {
        if (!ok)
            break;
        const QString to = QDir(root_).filePath(top);
        if (const int error = SystemFiles::renameNew(temporary + u'/' + top, to); error != 0)
            ok = fail(kRenameFailed.arg(shown(to)), error);
        else
            moved << to;
    }
    bool leftBehind = SystemFiles::removeTree(temporary) != 0;
    if (!ok) {
        // Only what this writing put there: the root was empty.
        for (const QString& folder : moved)
            leftBehind = SystemFiles::removeTree(folder) != 0 || leftBehind;
    }
    SystemFiles::syncFolder(root_);
    if (ok) {
        result_.written = true;
        result_.message = kCardWritten.arg(shown(root_), QFileInfo(card_).fileName());
        return result_;
    }
    if (result_.cancelled)
        result_.message = leftBehind ? kLeftBehind.arg(shown(temporary)) : kCardCancelled;
    else
        result_.message += QStringLiteral("\n\n") +
                           (leftBehind ? kLeftBehind.arg(shown(temporary)) : kNothingLeft);
    return result_;
}

bool CardWriter::copyTree(const QString& from, const QString& to) {
    if (const int error = SystemFiles::makeFolder(to); error != 0)
        return fail(kMakeFolderFailed.arg(shown(to)), error);
    folders_ << to;
    const QFileInfoList entries = QDir(from).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& entry : entries) {
        if (cancel_.load(std::memory_order_relaxed)) {
            result_.cancelled = true;
            return false;
        }
        const QString target = to + u'/' + entry.fileName();
        if (entry.isDir()) {
            if (!copyTree(entry.filePath(), target))
                return false;
            continue;
        }
        const PhotoCopier::Step copied = copier_.copy(entry.filePath(), target);
        switch (copied.outcome) {
            case PhotoCopier::Outcome::Done:
                break;
            case PhotoCopier::Outcome::SourceFailed:
                return fail(kReadPhotoFailed.arg(shown(entry.filePath())), copied.error);
            case PhotoCopier::Outcome::TargetFailed:
                return fail(kWriteFailed.arg(shown(target)), copied.error);
            case PhotoCopier::Outcome::Cancelled:
                result_.cancelled = true;
                return false;
        }
        ++done_;
        if (progress_)
            progress_(done_, total_);
    }
    return true;
}

bool CardWriter::fail(const QString& what, int error) {
    result_.message =
        kCardFailed.arg(what, FileWriteTexts::causeText(faultOfSystemError(error), error));
    return false;
}

}  // namespace

LabOrderCardResult writeLabOrderCard(const QString& cardFolder, const QString& root,
                                     const std::atomic<bool>& cancel,
                                     const LabOrderProgress& progress) {
    return CardWriter(cardFolder, root, cancel, progress).run();
}
