#pragma once
// Generated data sets for the benchmarks, kept in one folder between runs. They look like a
// user's: titles in no particular order, Chinese texts of varied length, 500 note categories.

#include <QString>

namespace benchdata {

constexpr int kNotes = 100000;
constexpr int kNoteClasses = 500;
constexpr int kArchivedFiles = 200;
constexpr qint64 kArchivedFileBytes = 5 * 1024 * 1024;
// Every 100th note (id % 100 == 7) has this word in its title, and another 1% (id % 100 == 57)
// the Chinese one; no other text holds either of them.
inline constexpr const char* kSearchedWord = "Needle";
inline constexpr const char16_t* kSearchedChineseWord = u"针线";

// $ALMANOR_BENCH_DATA, or /tmp/almanor-bench; created when missing.
QString DataDir();
// notes-N-2.kvt: N notes in kNoteClasses categories; generated on first use (the "-2": data sets
// of the generator before the Chinese word are not reused).
QString NotesDataSet(int notes = kNotes);
// startup-N.kvt: N records of each family that has a window (notes, ledger, reminders, archived
// files of a few bytes, bookmarks); generated on first use.
QString StartUpDataSet(int records);
// The archive data set (kArchivedFiles files of kArchivedFileBytes each); generated on first use.
QString ArchiveDataSet();
// Deterministic file bytes of the given size.
QByteArray FileBytes(qint64 size);

} // namespace benchdata
