// SPDX-License-Identifier: MIT
#pragma once

#include "domain/entry/job_setup.h"
#include "domain/entry/setup_screen.h"
#include "domain/job/job_state.h"
#include "support/fake_platform.h"

#include <map>
#include <optional>

#include <QString>
#include <QStringList>

// The setup screen without widgets: box texts, the finish button, the focus
// and the rows. Setting a price box or tbShouEnd runs its change handling,
// nested, when the text really changes, as the real boxes do.
class FakeSetupScreen : public SetupScreen {
public:
    std::map<SetupControl, QString> texts;
    bool finishVisible = false;
    std::optional<SetupControl> focus;
    std::map<SizeRow, bool> rowVisible{{SizeRow::Large, true}, {SizeRow::Medium, true}};
    QStringList pricesShown;
    JobSetup* setup = nullptr;

    QString text(SetupControl box) const override {
        const auto it = texts.find(box);
        return it == texts.end() ? QString() : it->second;
    }

    void setText(SetupControl box, const QString& text) override {
        if (this->text(box) == text)
            return;
        texts[box] = text;
        if (!setup)
            return;
        switch (box) {
            case SetupControl::tbDaiTanka:
                setup->priceChanged(SizeRow::Large);
                break;
            case SetupControl::tbChuTanka:
                setup->priceChanged(SizeRow::Medium);
                break;
            case SetupControl::tbShouTanka:
                setup->priceChanged(SizeRow::Small);
                break;
            case SetupControl::tbShouEnd:
                setup->smallEndChanged();
                break;
            default:
                break;
        }
    }

    bool isFinishVisible() const override { return finishVisible; }
    void setFinishVisible(bool visible) override { finishVisible = visible; }
    void setFocusTo(SetupControl control) override { focus = control; }
    void setRowVisible(SizeRow row, bool visible) override { rowVisible[row] = visible; }
    void showPrice(SizeRow row) override {
        pricesShown << (row == SizeRow::Large ? QStringLiteral("large") : QStringLiteral("medium"));
    }
};

// A job, the platform, the screen and the field handling wired together.
struct SetupFixture {
    JobState job;
    FakePlatform platform;
    FakeSetupScreen screen;
    JobSetup setup{job, screen, platform};

    SetupFixture() { screen.setup = &setup; }

    // The operator puts a text into a box (a price box reacts at once).
    void type(SetupControl box, const QString& text) { screen.setText(box, text); }

    // The operator leaves a box: the handling that box has for it.
    void leave(SetupControl box) {
        switch (box) {
            case SetupControl::tbDaiStart:
                return setup.startLeft(SizeRow::Large);
            case SetupControl::tbChuStart:
                return setup.startLeft(SizeRow::Medium);
            case SetupControl::tbShouStart:
                return setup.startLeft(SizeRow::Small);
            case SetupControl::tbDaiEnd:
                return setup.endLeft(SizeRow::Large);
            case SetupControl::tbChuEnd:
                return setup.endLeft(SizeRow::Medium);
            case SetupControl::tbShouEnd:
                return setup.endLeft(SizeRow::Small);
            case SetupControl::tbDaiTanka:
                return setup.priceLeft(SizeRow::Large);
            case SetupControl::tbShouTanka:
                return setup.priceLeft(SizeRow::Small);
            case SetupControl::tbChuTanka:
                return;
            default:
                return setup.textFieldLeft(box);
        }
    }

    void enter(SetupControl box, const QString& text) {
        type(box, text);
        leave(box);
    }

    // Ranges and prices of all three sizes typed and left in order.
    void fillRanges(const QString& ls, const QString& le, const QString& ms, const QString& me,
                    const QString& ss, const QString& se) {
        using enum SetupControl;
        enter(tbDaiStart, ls);
        enter(tbDaiEnd, le);
        enter(tbChuStart, ms);
        enter(tbChuEnd, me);
        enter(tbShouStart, ss);
        enter(tbShouEnd, se);
    }
};
