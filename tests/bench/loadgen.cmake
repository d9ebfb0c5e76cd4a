# The benchmark's load generator against a scripted IRC server on loopback.
find_package(Threads REQUIRED)
novalune_add_test(loadgen_test ${CMAKE_CURRENT_LIST_DIR}/loadgen_test.cpp ${CMAKE_SOURCE_DIR}/bench/loadgen_engine.cpp)
target_include_directories(loadgen_test PRIVATE ${CMAKE_SOURCE_DIR}/bench)
target_link_libraries(loadgen_test PRIVATE Threads::Threads)
