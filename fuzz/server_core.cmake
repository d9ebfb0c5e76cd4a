# The server engine fed arbitrary bytes and events from several connections.
novalune_add_fuzzer(server_core_fuzz ${CMAKE_CURRENT_LIST_DIR}/server_core_fuzz.cpp)
target_link_libraries(server_core_fuzz PRIVATE novalune_server_core)
