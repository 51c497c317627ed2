#pragma once
// Generated data sets for the data store's benchmarks, kept in one folder between runs.

#include <QString>
#include <functional>

namespace datastore {
class Connection;
}

namespace benchdata {

constexpr int kNotes = 100000;
constexpr int kNoteClasses = 500;
constexpr int kArchivedFiles = 200;
constexpr qint64 kArchivedFileBytes = 5 * 1024 * 1024;

// $ALMANOR_BENCH_DATA, or /tmp/almanor-bench; created when missing.
QString DataDir();
// The data set `name` in DataDir(), filled by `fill` in one transaction when it is not there yet.
// It is built under a temporary name and renamed, so an interrupted run leaves no half-filled data
// set behind.
QString Generate(const QString& name, const std::function<void(datastore::Connection&)>& fill);
// The notes data set (kNotes notes in kNoteClasses categories); generated on first use.
QString NotesDataSet();
// The archive data set (kArchivedFiles files of kArchivedFileBytes each); generated on first use.
QString ArchiveDataSet();
// Deterministic file bytes of the given size.
QByteArray FileBytes(qint64 size);

} // namespace benchdata
