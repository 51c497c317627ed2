# The data store's benchmarks and the generator of the benchmarks' data sets (run by compare.sh).
add_library(datastore_datagen_lib STATIC ${CMAKE_CURRENT_LIST_DIR}/datastore_datagen.cpp
  ${CMAKE_CURRENT_LIST_DIR}/datastore_datagen.h)
target_link_libraries(datastore_datagen_lib PUBLIC datastore)

add_executable(datastore_datagen ${CMAKE_CURRENT_LIST_DIR}/datastore_datagen_main.cpp)
target_link_libraries(datastore_datagen PRIVATE datastore_datagen_lib)

almanor_bench(datastore_bench SOURCES ${CMAKE_CURRENT_LIST_DIR}/datastore_bench.cpp LIBS datastore_datagen_lib)
