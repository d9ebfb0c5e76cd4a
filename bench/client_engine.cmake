# The client engine's receive path: framing, decoding and dispatch.
add_executable(client_engine_bench ${CMAKE_CURRENT_LIST_DIR}/client_engine_bench.cpp)
target_link_libraries(client_engine_bench PRIVATE novalune_client_core benchmark::benchmark)
target_include_directories(client_engine_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
