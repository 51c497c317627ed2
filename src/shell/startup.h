#pragma once
// The start-up procedure: one running copy, the data set of the run, then the main window.

#include <QString>
#include <memory>

class QLockFile;

namespace modStart {

// The whole run of the program; its result is the process's exit code.
//
// SIGTERM, SIGHUP and SIGINT end it at any moment as File > Exit does: the boxes and dialogs on
// screen end as if cancelled, a save waiting for a data set locked by another program fails at
// once, and the main window unloads. Once leaving has begun, further signals change nothing.
//
// Test hook: with the environment variable ALMANOR_TEST_QUIT_AFTER_MS set to N, the program
// leaves the same way after N milliseconds, so tests can run the real binary without a user.
int Main(int argc, char** argv);

// Holds the single-instance lock next to the settings file; null when another copy holds it.
std::unique_ptr<QLockFile> LockSingleInstance();

// Where the data set lives when the settings name none: "Almanor.kvt" in the per-user data folder.
QString DefaultDataSetPath();

enum class DataSetResult { Opened, Cancelled, Failed };

// Finds, creates when needed, and opens the data set of the run (section "Option", key
// "DataBase"): with no such key (the first start) the default data set, created empty when
// missing; an empty setting or one naming a missing file lets the user pick a data set or name a
// new one, offering the missing file where its folder still is, else the default. On success the
// path is stored; when the data set cannot be opened the setting is cleared, so the next start
// asks.
DataSetResult OpenDataSetAtStart(const QString& defaultPath);

} // namespace modStart
