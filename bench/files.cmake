# The file archive: upload and extraction of a 9 MiB file beside cp, and the list window over a
# large archive (its data set comes from the data store's generator).
almanor_bench(files_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/files_bench.cpp LIBS modules datastore_datagen_lib)
