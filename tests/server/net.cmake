# Server integration tests over real loopback sockets.
novalune_add_test(net_protocol_test ${CMAKE_CURRENT_LIST_DIR}/net_protocol_test.cpp)
target_link_libraries(net_protocol_test PRIVATE novalune_test_support)

novalune_add_test(net_hostlink_test ${CMAKE_CURRENT_LIST_DIR}/net_hostlink_test.cpp)
target_link_libraries(net_hostlink_test PRIVATE novalune_test_support)

novalune_add_test(net_relay_test ${CMAKE_CURRENT_LIST_DIR}/net_relay_test.cpp)
target_link_libraries(net_relay_test PRIVATE novalune_test_support)

novalune_add_test(net_framing_test ${CMAKE_CURRENT_LIST_DIR}/net_framing_test.cpp)
target_link_libraries(net_framing_test PRIVATE novalune_test_support)

novalune_add_test(net_limits_test ${CMAKE_CURRENT_LIST_DIR}/net_limits_test.cpp)
target_link_libraries(net_limits_test PRIVATE novalune_test_support)

# Starts the real program on the fixed ports: one such test at a time.
add_executable(net_program_test ${CMAKE_CURRENT_LIST_DIR}/net_program_test.cpp)
target_link_libraries(net_program_test PRIVATE novalune_test_client GTest::gtest GTest::gtest_main)
target_compile_definitions(net_program_test PRIVATE NOVALUNE_PROGRAM="$<TARGET_FILE:novalune>")
add_dependencies(net_program_test novalune)
gtest_discover_tests(net_program_test DISCOVERY_TIMEOUT 60 PROPERTIES RESOURCE_LOCK fixedports)
