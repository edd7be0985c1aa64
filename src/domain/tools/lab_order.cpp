// SPDX-License-Identifier: MIT
#include "domain/tools/lab_order.h"

#include "domain/files/file_replacement.h"
#include "domain/files/file_write_texts.h"
#include "domain/files/job_file_writer.h"
#include "domain/reports/report_content.h"
#include "domain/reports/report_document.h"
#include "domain/tools/lab_export.h"

#include <algorithm>
#include <optional>
#include <set>

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStringList>

namespace LabOrderTexts {
const QString kFolderSuffix = QStringLiteral("_ラボ出力");
const QString kDpofFolder = QStringLiteral("DPOF_%1");
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
    "JPEG でない写真は DPOF に入れられないため、DPOF のフォルダーには入れていません"
    "（サイズ別のフォルダーには入っています）：\n%1");
const QString kUnreadable =
    QStringLiteral("写真番号として読めない注文が %1 枚あり、ラボ出力には入っていません。");
const QString kPendingLeftOut =
    QStringLiteral("入力中でまだ登録していない注文（%1 枚）は含めていません。");
const QString kSeeNotes = QStringLiteral("番号の一覧はフォルダー内の「%1」にもあります。");
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
}  // namespace LabOrderTexts

namespace {

using namespace LabOrderTexts;

constexpr int kListedNumbers = 20;  // in the message; the notes file has them all
constexpr int kMaxDpofQuantity = 999;
constexpr qint64 kCopyBlock = 1 << 20;

const QString kNotesMissing = QStringLiteral("写真フォルダーに写真がない番号");
const QString kNotesUnsized = QStringLiteral("どのサイズの範囲にも入っていない番号");
const QString kNotesNotJpeg = QStringLiteral("JPEG でないため DPOF に入れなかった番号");
const QString kPhotoCount = QStringLiteral("%1（%2 枚）");

const PrintSize kSizes[] = {PrintSize::Large, PrintSize::Medium, PrintSize::Small};

QString suffixOf(const QString& path) {
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot > 0 ? name.mid(dot + 1) : QString();
}

bool isJpeg(const QString& path) {
    const QString suffix = suffixOf(path);
    return suffix.compare(QStringLiteral("jpg"), Qt::CaseInsensitive) == 0 ||
           suffix.compare(QStringLiteral("jpeg"), Qt::CaseInsensitive) == 0;
}

QStringList photoLines(const QVector<LabOrderPhoto>& photos) {
    QStringList lines;
    for (const LabOrderPhoto& photo : photos)
        lines << kPhotoCount.arg(photo.number).arg(photo.prints);
    return lines;
}

// The first numbers, then how many more.
QString shortList(const QVector<LabOrderPhoto>& photos) {
    QStringList lines = photoLines(photos.mid(0, kListedNumbers));
    if (photos.size() > kListedNumbers)
        lines << kMoreNumbers.arg(photos.size() - kListedNumbers);
    return lines.join(QStringLiteral("、"));
}

// UTF-8 with a byte-order mark, CR LF: every Notepad opens it as Japanese.
QByteArray notesBytes(const LabOrderPlan& plan) {
    QStringList lines;
    const auto section = [&](const QString& title, const QVector<LabOrderPhoto>& photos) {
        if (photos.isEmpty())
            return;
        if (!lines.isEmpty())
            lines << QString();
        lines << QStringLiteral("■ %1（%2 件）").arg(title).arg(photos.size());
        lines << photoLines(photos);
    };
    section(kNotesMissing, plan.missing);
    section(kNotesUnsized, plan.unsized);
    section(kNotesNotJpeg, plan.notJpeg);
    if (lines.isEmpty())
        return {};
    return QByteArray("\xEF\xBB\xBF") +
           (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8();
}

QString orderFolderName(const JobState& job, int maxNameBytes) {
    // Room for the suffix and a "(999)" that tells it from one already there.
    const QString tail = kFolderSuffix + QStringLiteral("(999)");
    const QString jobExtension = QStringLiteral(".ptl");
    const int room = maxNameBytes - int(QFile::encodeName(tail).size()) +
                     int(QFile::encodeName(jobExtension).size());
    QString name = defaultJobFileName(job, room);
    name.chop(jobExtension.size());
    return name + kFolderSuffix;
}

}  // namespace

LabOrderSnapshot takeLabOrderSnapshot(const JobState& job,
                                      const std::function<QString(int)>& photoFileOf) {
    LabOrderSnapshot snapshot{job, QVector<QString>(JobState::kMaxPhotoNumber + 1)};
    for (int n = 1; n <= JobState::kMaxPhotoNumber; ++n)
        snapshot.photoFiles[n] = photoFileOf(n);
    return snapshot;
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
    plan.folderName = orderFolderName(job, maxNameBytes);
    plan.pendingPrints = int(orders.pendingPrints);

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

    const QString user =
        QStringList{dpofText(orders.header.customerName), dpofText(orders.header.eventName)}
            .join(u' ')
            .simplified();
    DpofHeader header;
    header.userName = user;
    header.made = now;
    for (const PrintSize size : kSizes) {
        const QVector<LabOrderPhoto>& photos = bySize[int(size)];
        if (photos.isEmpty())
            continue;
        const QString sizeName = ReportText::sizeName(size);
        if (forms.dpof) {
            const QString card = kDpofFolder.arg(sizeName);
            QVector<LabOrderPhoto> onCard;
            for (const LabOrderPhoto& photo : photos) {
                const QString& source = snapshot.photoFiles[photo.number];
                if (!isJpeg(source)) {
                    plan.notJpeg.append(photo);
                    continue;
                }
                onCard.append(photo);
                plan.files.append({source, card + u'/' + dcfPathOf(photo.number)});
            }
            if (!onCard.isEmpty())
                plan.texts.append(
                    {card + QStringLiteral("/MISC/AUTPRINT.MRK"), autPrintText(header, onCard)});
        }
        if (forms.plainFolders) {
            for (const LabOrderPhoto& photo : photos) {
                const QString& source = snapshot.photoFiles[photo.number];
                plan.files.append(
                    {source, sizeName + u'/' +
                                 plainFileName(photo.number, photo.prints, suffixOf(source))});
            }
        }
    }
    std::sort(plan.notJpeg.begin(), plan.notJpeg.end(),
              [](const LabOrderPhoto& a, const LabOrderPhoto& b) { return a.number < b.number; });
    if (forms.plainFolders) {
        const LabExportBytes csv = labExportBytes(labExportTable(job, LabExportKind::ByPhoto),
                                                  LabExportEncoding::ShiftJis);
        if (csv.ok)
            plan.texts.append(
                {defaultLabExportFileName(job, LabExportKind::ByPhoto, maxNameBytes), csv.bytes});
    }
    const QByteArray notes = notesBytes(plan);
    if (!notes.isEmpty())
        plan.texts.append({kNotesFile, notes});
    return plan;
}

namespace {

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
          tryLinks_(copying == LabOrderCopying::LinkWherePossible) {}

    LabOrderResult run();

private:
    bool makeTemporaryFolder();
    bool makeFolders();
    bool putFile(const LabOrderFile& file);
    bool copyFile(const QString& from, const QString& to);
    bool writeText(const LabOrderText& text);
    bool syncFolders();
    bool giveName();
    bool fail(const QString& what, int error);
    bool stopped();
    void step();
    QString shown(const QString& path) const {
        return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    }
    QString inside(const QString& relative) const { return temporary_ + u'/' + relative; }
    QString successText() const;

    const LabOrderPlan& plan_;
    const QString destination_;
    const std::atomic<bool>& cancel_;
    const LabOrderProgress& progress_;
    bool tryLinks_;
    QString temporary_;
    QStringList folders_;  // made inside temporary_, parents first
    QByteArray buffer_;
    int done_ = 0;
    int total_ = 0;
    LabOrderResult result_;
};

LabOrderResult OrderWriter::run() {
    if (plan_.photos.isEmpty() && plan_.missing.isEmpty() && plan_.unsized.isEmpty()) {
        result_.message = kNothingOrdered;
        return result_;
    }
    total_ = int(plan_.files.size() + plan_.texts.size());
    if (!makeTemporaryFolder()) {
        result_.message += QStringLiteral("\n\n") + kNothingMade;
        return result_;
    }
    bool ok = makeFolders();
    for (qsizetype i = 0; ok && i < plan_.files.size(); ++i)
        ok = !stopped() && putFile(plan_.files[i]);
    for (qsizetype i = 0; ok && i < plan_.texts.size(); ++i)
        ok = !stopped() && writeText(plan_.texts[i]);
    ok = ok && !stopped() && syncFolders() && giveName();
    if (ok) {
        result_.written = true;
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
    const QString target = inside(file.target);
    if (tryLinks_) {
        const int error = SystemFiles::makeLink(file.source, target);
        if (error == 0) {
            ++result_.linked;
            step();
            return true;
        }
        if (!SystemFiles::linksUnsupported(error)) {
            // The photo gone from under the link is the photo's fault.
            if (!QFileInfo::exists(file.source))
                return fail(kReadPhotoFailed.arg(shown(file.source)), error);
            return fail(kWriteFailed.arg(shown(target)), error);
        }
        tryLinks_ = false;  // the rest of the order is copied
    }
    if (!copyFile(file.source, target))
        return false;
    ++result_.copied;
    step();
    return true;
}

bool OrderWriter::copyFile(const QString& from, const QString& to) {
    SystemFiles::OpenFile source;
    if (const int error = source.openToRead(from); error != 0)
        return fail(kReadPhotoFailed.arg(shown(from)), error);
    SystemFiles::OpenFile target;
    if (const int error = target.createNew(to, SystemFiles::NewFileAccess::Usual); error != 0)
        return fail(kWriteFailed.arg(shown(to)), error);
    if (buffer_.isEmpty())
        buffer_.resize(kCopyBlock);
    for (;;) {
        int error = 0;
        const qint64 got = source.read(buffer_.data(), buffer_.size(), &error);
        if (got < 0)
            return fail(kReadPhotoFailed.arg(shown(from)), error);
        if (got == 0)
            break;
        if (const int written = target.write(buffer_.constData(), got); written != 0)
            return fail(kWriteFailed.arg(shown(to)), written);
        if (stopped())
            return false;
    }
    if (const int error = SystemFiles::syncData(target.descriptor()); error != 0)
        return fail(kWriteFailed.arg(shown(to)), error);
    if (const int error = target.close(); error != 0)
        return fail(kWriteFailed.arg(shown(to)), error);
    return true;
}

bool OrderWriter::writeText(const LabOrderText& text) {
    const QString path = inside(text.target);
    SystemFiles::OpenFile file;
    int error = file.createNew(path, SystemFiles::NewFileAccess::Usual);
    if (error == 0)
        error = file.write(text.bytes.constData(), text.bytes.size());
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
    QStringList parts = {
        kWritten.arg(shown(result_.path)).arg(plan_.photos.size()).arg(plan_.prints)};
    if (!plan_.missing.isEmpty())
        parts << kMissing.arg(shortList(plan_.missing));
    if (!plan_.unsized.isEmpty())
        parts << kUnsized.arg(shortList(plan_.unsized));
    if (!plan_.notJpeg.isEmpty())
        parts << kNotJpeg.arg(shortList(plan_.notJpeg));
    if (plan_.unreadablePrints > 0)
        parts << kUnreadable.arg(plan_.unreadablePrints);
    if (plan_.pendingPrints > 0)
        parts << kPendingLeftOut.arg(plan_.pendingPrints);
    if (!plan_.missing.isEmpty() || !plan_.unsized.isEmpty() || !plan_.notJpeg.isEmpty())
        parts << kSeeNotes.arg(kNotesFile);
    return parts.join(QStringLiteral("\n\n"));
}

}  // namespace

LabOrderResult writeLabOrder(const LabOrderPlan& plan, const QString& destination,
                             const std::atomic<bool>& cancel, const LabOrderProgress& progress,
                             LabOrderCopying copying) {
    return OrderWriter(plan, destination, cancel, progress, copying).run();
}
