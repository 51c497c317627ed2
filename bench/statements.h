#pragma once
// The statements the data store runs, recorded as SQLite reports them, so the sqlite3 tool can run
// exactly the same work on the same file as a reference.

#include <QString>
#include <QStringList>
#include <cstring>
#include <sqlite3.h>

namespace statements {

inline bool g_recording = false;
inline QStringList g_recorded;

// Bound values written in; statements of triggers come as comments and are left out.
inline int OnStatement(unsigned, void*, void* stmt, void* text) {
  if (!g_recording || std::strncmp(static_cast<const char*>(text), "--", 2) == 0) return 0;
  char* sql = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(stmt));
  g_recorded << QString::fromUtf8(sql ? sql : static_cast<const char*>(text));
  sqlite3_free(sql);
  return 0;
}

inline int TraceConnection(sqlite3* db, const char**, const sqlite3_api_routines*) {
  return sqlite3_trace_v2(db, SQLITE_TRACE_STMT, OnStatement, nullptr);
}

// Every connection opened after this reports to the recorder.
inline void Install() { sqlite3_auto_extension(reinterpret_cast<void (*)()>(TraceConnection)); }

// The statements that every connection of this process ran while `run` ran, as one script; empty
// when none ran.
template <class Run>
QString Record(Run&& run) {
  g_recorded.clear();
  g_recording = true;
  run();
  g_recording = false;
  return g_recorded.isEmpty() ? QString() : g_recorded.join(QStringLiteral(";\n")) + u';';
}

} // namespace statements
