almanor_bench(exchange_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/exchange_bench.cpp LIBS gui datastore_datagen_lib PkgConfig::SQLITE3)
