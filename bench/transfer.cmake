# File transfer throughput: loopback, relayed and over a 20 ms link, side by side.
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp)
target_link_libraries(transfer_bench PRIVATE novalune_client_net novalune_test_support)
target_include_directories(transfer_bench PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
