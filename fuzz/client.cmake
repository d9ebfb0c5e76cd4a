# The client engine fed arbitrary server lines, host-link bytes and socket events.
novalune_add_fuzzer(client_command_fuzz ${CMAKE_CURRENT_LIST_DIR}/client_command_fuzz.cpp)
target_include_directories(client_command_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(client_command_fuzz PRIVATE novalune_client_core)
