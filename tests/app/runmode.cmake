# The run-mode decision and the server marker, in process.
novalune_add_test(runmode_test ${CMAKE_CURRENT_LIST_DIR}/runmode_test.cpp)
target_link_libraries(runmode_test PRIVATE novalune_runmode)

# The real program on the fixed ports, one such test at a time.
add_executable(runmode_program_test ${CMAKE_CURRENT_LIST_DIR}/runmode_program_test.cpp)
target_include_directories(runmode_program_test PRIVATE ${CMAKE_SOURCE_DIR}/src ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(runmode_program_test PRIVATE novalune_runmode novalune_test_client GTest::gtest GTest::gtest_main)
target_compile_definitions(runmode_program_test PRIVATE NOVALUNE_PROGRAM="$<TARGET_FILE:novalune>")
add_dependencies(runmode_program_test novalune)
gtest_discover_tests(runmode_program_test DISCOVERY_TIMEOUT 60 PROPERTIES RESOURCE_LOCK fixedports)
