# The reminders over 10,000 reminders, 500 of them due today, beside the sqlite3 tool on the same
# file.
almanor_bench(reminders_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/reminders_bench.cpp LIBS modules datastore_datagen_lib)
