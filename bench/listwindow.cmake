almanor_bench(listwindow_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/listwindow_bench.cpp LIBS modules datastore_datagen_lib PkgConfig::SQLITE3)
# The program itself, opening the notes window once it has started: the end-to-end figure of
# listwindow_bench runs it from beside itself.
add_executable(notes_open ${CMAKE_CURRENT_LIST_DIR}/notes_open.cpp)
target_link_libraries(notes_open PRIVATE gui)
add_dependencies(listwindow_bench notes_open)
