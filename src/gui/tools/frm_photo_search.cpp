// SPDX-License-Identifier: MIT
#include "gui/tools/frm_photo_search.h"

#include "gui/input/frm_teisei.h"
#include "gui/run_photos.h"
#include "gui/window_registry.h"

#include "ui_frm_photo_search.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QRegularExpressionValidator>

frmPhotoSearch::frmPhotoSearch(RunContext& context)
    : QWidget(nullptr), ui(std::make_unique<Ui::frmPhotoSearch>()), context_(context) {
    ui->setupUi(this);
    // Half-width digits only, as the order slips carry them; no input method
    // stands between the keypad and the box.
    ui->txtPhotoNumber->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), this));
    ui->txtPhotoNumber->setAttribute(Qt::WA_InputMethodEnabled, false);
    ui->lstPupils->header()->setSectionResizeMode(QHeaderView::Stretch);
    ui->lstPupils->header()->setDefaultAlignment(Qt::AlignCenter);
    ui->lstPupils->setColumnHidden(kNameColumn, true);
    ui->lstPupils->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ui->lstPupils->setSelectionMode(QAbstractItemView::SingleSelection);

    // A search is about a millisecond even in the largest job: the list
    // follows the number as it is typed.
    connect(ui->txtPhotoNumber, &QLineEdit::textChanged, this, &frmPhotoSearch::search);
    connect(ui->lstPupils, &QAbstractItemView::activated, this,
            [this](const QModelIndex& index) { openPupil(index.row()); });
    ui->txtPhotoNumber->installEventFilter(this);
    ui->lstPupils->installEventFilter(this);
    // Photos copied in or another folder chosen: the marks follow.
    connect(&runPhotoFolder(context_), &PhotoFolder::changed, this, [this] {
        if (isVisible())
            refresh();
    });
    search();
}

frmPhotoSearch::~frmPhotoSearch() = default;

void frmPhotoSearch::open() {
    show();
    raise();
    activateWindow();
    ui->txtPhotoNumber->setFocus(Qt::OtherFocusReason);
    ui->txtPhotoNumber->selectAll();
    refresh();
}

void frmPhotoSearch::refresh() {
    // The whole job is read for it (some 20 ms in the largest): once when
    // the job may have changed, not at every digit typed.
    withoutPhotoLine_.clear();
    const PhotoFolder& folder = runPhotoFolder(context_);
    if (photoFolderChosen(context_) && folder.isReadable())
        withoutPhotoLine_ = PhotoSearchTexts::withoutPhoto(orderedNumbersWithoutPhoto(
            context_.job, [&folder](int number) { return !folder.fileOf(number).isEmpty(); }));
    search();
}

void frmPhotoSearch::search() {
    const QTreeWidgetItem* current = ui->lstPupils->currentItem();
    const int keepPerson = current ? current->text(0).toInt() : 0;
    result_ = searchPhotoNumber(context_.job, ui->txtPhotoNumber->text(), context_.companion);
    showResult(keepPerson);
}

void frmPhotoSearch::showResult(int keepPerson) {
    QTreeWidget* list = ui->lstPupils;
    list->clear();
    showNameColumn(!context_.companion.roster.isEmpty());
    QList<QTreeWidgetItem*> items;
    items.reserve(result_.pupils.size());
    QTreeWidgetItem* keep = nullptr;
    for (const PhotoSearchHit& hit : result_.pupils) {
        auto* item =
            new QTreeWidgetItem({QString::number(hit.personNumber), QString::number(hit.prints),
                                 PhotoSearchTexts::amount(hit.amount), hit.name});
        for (int column = 0; column < kNameColumn; ++column)
            item->setTextAlignment(column, Qt::AlignCenter);
        if (!hit.name.isEmpty())
            item->setToolTip(kNameColumn, hit.name);
        if (hit.personNumber == keepPerson)
            keep = item;
        items.append(item);
    }
    list->addTopLevelItems(items);
    if (keep)
        list->setCurrentItem(keep);
    ui->lblSummary->setText(PhotoSearchTexts::summary(result_, context_.job));
    const QString note = PhotoSearchTexts::pendingNote(result_);
    ui->lblNote->setText(note);
    ui->lblNote->setVisible(!note.isEmpty());
    showPhotosMissing();
}

void frmPhotoSearch::showNameColumn(bool shown) {
    // Hidden without a roster: the list as it has always been.
    QTreeWidget* list = ui->lstPupils;
    if (list->isColumnHidden(kNameColumn) != shown)
        return;
    list->setColumnHidden(kNameColumn, !shown);
    // The figures as wide as they need, the names the rest.
    QHeaderView* header = list->header();
    for (int column = 0; column < kNameColumn; ++column)
        header->setSectionResizeMode(column,
                                     shown ? QHeaderView::ResizeToContents : QHeaderView::Stretch);
}

void frmPhotoSearch::showPhotosMissing() {
    QStringList lines;
    const PhotoFolder& folder = runPhotoFolder(context_);
    using Outcome = PhotoSearchResult::Outcome;
    if (photoFolderChosen(context_) && folder.isReadable() &&
        (result_.outcome == Outcome::Found || result_.outcome == Outcome::NobodyOrdered) &&
        folder.fileOf(result_.photoNumber).isEmpty())
        lines << PhotoSearchTexts::kNoPhotoOfNumber.arg(result_.photoNumber);
    if (!withoutPhotoLine_.isEmpty())
        lines << withoutPhotoLine_;
    ui->lblNoPhoto->setText(lines.join(u'\n'));
    ui->lblNoPhoto->setVisible(!lines.isEmpty());
}

void frmPhotoSearch::openPupil(int row) {
    if (row < 0 || row >= result_.pupils.size())
        return;
    frmTeisei& correction = context_.windows.get<frmTeisei>();
    if (!correction.showRegisteredPerson(result_.pupils[row].personNumber)) {
        // The job has changed since the search: show it as it is now.
        context_.platform.beep();
        refresh();
    }
}

bool frmPhotoSearch::event(QEvent* event) {
    // Coming back to the window shows the job as it is now.
    if (event->type() == QEvent::WindowActivate)
        refresh();
    return QWidget::event(event);
}

bool frmPhotoSearch::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Escape) {
        close();
        return true;
    }
    QTreeWidget* list = ui->lstPupils;
    if (watched == ui->txtPhotoNumber) {
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            search();
            return true;
        }
        if (key == Qt::Key_Down && list->topLevelItemCount() > 0) {
            if (!list->currentItem())
                list->setCurrentItem(list->topLevelItem(0));
            list->setFocus(Qt::TabFocusReason);
            return true;
        }
    } else if (watched == list && key == Qt::Key_Up &&
               list->currentItem() == list->topLevelItem(0)) {
        ui->txtPhotoNumber->setFocus(Qt::BacktabFocusReason);
        return true;
    }
    return false;
}
