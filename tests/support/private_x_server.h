// SPDX-License-Identifier: MIT
#pragma once

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QThread>

// Ends a helper process of a test: asked to end, then killed if it does not
// within the time given.
inline void stopProcess(QProcess& process, int ms = 5000) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(ms)) {
        process.kill();
        process.waitForFinished();
    }
}

// An X server of the test's own (Xvfb, 1280×900), on which the real program
// runs through Qt's xcb platform. Ended with the test.
class PrivateXServer {
public:
    PrivateXServer() = default;
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;
    ~PrivateXServer() { stopProcess(server_); }

    // Starts it on the first display number from `first` that no other
    // server holds (tests running side by side take different ranges);
    // false when none is free or Xvfb does not start.
    bool start(int first) {
        for (int n = first; n < first + 60 && display_.isEmpty(); ++n) {
            if (!QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)) &&
                !QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)))
                display_ = QStringLiteral(":%1").arg(n);
        }
        if (display_.isEmpty())
            return false;
        server_.start(QStringLiteral("Xvfb"), {display_, QStringLiteral("-screen"),
                                               QStringLiteral("0"), QStringLiteral("1280x900x24"),
                                               QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server_.waitForStarted())
            return false;
        // Started is not listening: on a busy machine a client started at
        // once finds no server. Its socket is there once it listens.
        const QString socket = QStringLiteral("/tmp/.X11-unix/X") + display_.mid(1);
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(socket)) {
            if (deadline.hasExpired() || server_.state() == QProcess::NotRunning)
                return false;
            QThread::msleep(20);
        }
        return true;
    }

    // ":N", the DISPLAY of its clients.
    const QString& display() const { return display_; }

    // Keys to the window with this id, as the keyboard sends them, 30 ms
    // apart (xdotool's key names: "1", "Return", "alt+f").
    void keys(const QString& window, const QStringList& keyNames) const {
        xdotool({QStringLiteral("windowfocus"), QStringLiteral("--sync"), window});
        xdotool(
            QStringList{QStringLiteral("key"), QStringLiteral("--delay"), QStringLiteral("30")} +
            keyNames);
    }

    // The keys that fill the setup screen with a whole job, from its first
    // field to its finish button: three sizes of 100 numbers at 100 yen.
    static QStringList wholeJobKeys() {
        QStringList keys;
        for (const char* value : {"1", "100", "101", "200", "201", "300", "100", "100", "100"}) {
            for (const QChar c : QLatin1String(value))
                keys << QString(c);
            keys << QStringLiteral("Return");
        }
        for (int i = 0; i < 5; ++i)
            keys << QStringLiteral("Return");
        return keys;
    }

private:
    void xdotool(const QStringList& args) const {
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        tool.setProcessEnvironment(env);
        tool.start(QStringLiteral("xdotool"), args);
        tool.waitForFinished(15000);
    }

    QProcess server_;
    QString display_;
};
