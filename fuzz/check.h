#pragma once
// A property a fuzz target holds its code to: when it fails, the input is a finding.

#include <QString>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(condition, detail)                                                              \
  do {                                                                                             \
    if (!(condition)) {                                                                            \
      std::fprintf(stderr, "%s:%d: %s fails: %s\n", __FILE__, __LINE__, #condition,                 \
                   QString(detail).toUtf8().constData());                                          \
      std::abort();                                                                                \
    }                                                                                              \
  } while (0)
