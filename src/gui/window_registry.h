// SPDX-License-Identifier: MIT
#pragma once

#include "domain/files/job_file_commands.h"
#include "domain/roster/job_companion.h"
#include "domain/roster/slip_tie.h"
#include "domain/tools/photo_folder.h"

#include <functional>
#include <map>
#include <memory>
#include <typeindex>

#include <QPointer>
#include <QString>
#include <QWidget>

struct JobState;
class JournalWriter;
class Platform;
class WindowRegistry;

// What every window of a run is built with: the one job, the platform seam,
// the registry through which windows reach each other, the program's own
// directory (where the sound files lie), the run's journal (none in a run
// that keeps no journal), the job file the run works on and its photo folder.
struct RunContext {
    JobState& job;
    Platform& platform;
    WindowRegistry& windows;
    QString programDirectory;
    JournalWriter* journal = nullptr;
    KnownJobFile jobFile{};  // loaded or saved last; a save back checks it is unchanged
    std::shared_ptr<PhotoFolder> photoFolder{};  // the run's photo folder (see run_photos.h)
    // The job's companion file (see run_companion.h): what it holds, and
    // the job file whose companion was last read or written, with its digest.
    JobCompanion companion{};
    struct {
        QString jobFilePath;
        QByteArray digest;
    } companionFile{};
    // The ties of the slips being keyed to the companion's roster pupils.
    SlipTies slipTies{companion};
    // Shows the journal's warning on the input screen and returns true, or
    // false when the input screen is not showing (set by the input screen).
    std::function<bool()> showJournalWarning{};
};

// Creates each window on first use and keeps it for the run; a window that
// is unloaded is destroyed, so its next showing starts afresh. Every window
// class W is constructed as W(RunContext&).
class WindowRegistry {
public:
    explicit WindowRegistry(RunContext& context) : context_(context) {}
    WindowRegistry(const WindowRegistry&) = delete;
    WindowRegistry& operator=(const WindowRegistry&) = delete;
    ~WindowRegistry() { closeAll(); }

    // The window, created on first use.
    template <class W>
    W& get() {
        if (W* existing = find<W>())
            return *existing;
        auto* window = new W(context_);
        windows_[std::type_index(typeid(W))] = window;
        return *window;
    }

    // The window if it is loaded, else nullptr.
    template <class W>
    W* find() const {
        const auto it = windows_.find(std::type_index(typeid(W)));
        if (it == windows_.end() || it->second.isNull())
            return nullptr;
        return static_cast<W*>(it->second.data());
    }

    // Unloads the window: it is destroyed (later, once its event handling
    // has returned) and forgotten, so that get() builds a new one.
    template <class W>
    void unload() {
        const auto it = windows_.find(std::type_index(typeid(W)));
        if (it == windows_.end())
            return;
        if (QWidget* window = it->second.data()) {
            window->hide();
            window->deleteLater();
        }
        windows_.erase(it);
    }

    // Destroys every window (the end of a run, or a test's cleanup).
    void closeAll() {
        auto windows = std::move(windows_);
        windows_.clear();
        for (auto& [type, window] : windows)
            delete window.data();
    }

    RunContext& context() { return context_; }

private:
    RunContext& context_;
    std::map<std::type_index, QPointer<QWidget>> windows_;
};
