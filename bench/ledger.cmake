# The ledger windows over 100,000 and 1,000,000 entries, beside the sqlite3 tool on the same file.
add_library(ledger_datagen_lib STATIC ${CMAKE_CURRENT_LIST_DIR}/ledger_datagen.cpp ${CMAKE_CURRENT_LIST_DIR}/ledger_datagen.h)
target_link_libraries(ledger_datagen_lib PUBLIC datastore_datagen_lib)

almanor_bench(ledger_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ledger_bench.cpp LIBS ledger_datagen_lib modules PkgConfig::SQLITE3)
