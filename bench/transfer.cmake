# File transfer throughput: loopback, relayed and over a 20 ms link, side by side.
# The server runs on its own thread as the tests run it (that file needs no test framework).
add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp ${CMAKE_SOURCE_DIR}/tests/support/ServerThread.cpp)
target_link_libraries(transfer_bench PRIVATE novalune_client_net novalune_server_net Qt6::Core Qt6::Network)
target_include_directories(transfer_bench PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
