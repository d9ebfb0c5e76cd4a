# The server engine alone: fan-out cost per delivered line, no sockets.
add_executable(server_core_bench ${CMAKE_CURRENT_LIST_DIR}/server_core_bench.cpp)
target_link_libraries(server_core_bench PRIVATE novalune_server_core benchmark::benchmark)
target_include_directories(server_core_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
