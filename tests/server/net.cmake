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

# WeeChat and irssi against the real program, when they are installed (skipped otherwise).
add_test(NAME irc_clients_check COMMAND ${CMAKE_SOURCE_DIR}/scripts/irc-clients-check.sh $<TARGET_FILE:novalune>)
set_tests_properties(irc_clients_check PROPERTIES RESOURCE_LOCK fixedports SKIP_RETURN_CODE 77 TIMEOUT 180)
