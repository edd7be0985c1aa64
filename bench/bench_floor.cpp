// SPDX-License-Identifier: MIT
// The floor the input screen's speed goals are measured against: a bare Qt
// window with one label and one list, timed from a key event to the end of
// its repaint exactly as bench_form1 times Form1 (press and release sent,
// posted events sent, events processed). A digit adds itself to the label;
// an Enter moves the label's text into the list, which keeps 11 rows.
// Run it in the same minutes as bench_form1 and compare the medians as
// ratios: the machine's own speed then cancels out (scripts/bench.sh).
//
//   QT_QPA_PLATFORM=offscreen build-release/bench/bench_floor [--rounds N]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QTest>
#include <QVBoxLayout>

namespace {

class BareWindow : public QWidget {
public:
    BareWindow() {
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(label_);
        layout->addWidget(list_);
        QFont font = label_->font();
        font.setPointSize(36);
        label_->setFont(font);
        resize(800, 515);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Return) {
            list_->addItem(label_->text());
            if (list_->count() > 11)
                delete list_->takeItem(0);
            label_->clear();
        } else {
            label_->setText(label_->text() + event->text());
        }
    }

private:
    QLabel* label_ = new QLabel(this);
    QListWidget* list_ = new QListWidget(this);
};

double keyToRepaint(QWidget& window, Qt::Key key, const QString& text) {
    const auto start = std::chrono::steady_clock::now();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&window, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(&window, &release);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

// The same line as bench_form1 prints, so that one reader takes both.
void report(const char* what, std::vector<double>& samples) {
    std::sort(samples.begin(), samples.end());
    std::printf("%-30s n=%-6zu median %7.3f ms   p99 %7.3f ms   worst %7.3f ms\n", what,
                samples.size(), samples[samples.size() / 2], samples[samples.size() * 99 / 100],
                samples.back());
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const qsizetype roundsOption = app.arguments().indexOf(QStringLiteral("--rounds"));
    const int rounds =
        roundsOption >= 0 ? std::max(1, app.arguments().value(roundsOption + 1).toInt()) : 20000;

    BareWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    // Three digits and an Enter per round.
    std::vector<double> digits, enters;
    for (int round = 0; round < rounds; ++round) {
        for (int digit = 0; digit < 3; ++digit)
            digits.push_back(
                keyToRepaint(window, Qt::Key(Qt::Key_0 + digit), QString::number(digit)));
        enters.push_back(keyToRepaint(window, Qt::Key_Return, QStringLiteral("\r")));
    }
    std::printf("floor: a bare window with one label and one list, %d rounds\n", rounds);
    report("digit", digits);
    report("Enter", enters);
    return 0;
}
