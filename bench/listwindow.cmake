almanor_bench(listwindow_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/listwindow_bench.cpp LIBS modules datastore_datagen_lib PkgConfig::SQLITE3)
