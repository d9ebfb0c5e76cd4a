# The run-mode decision and the server marker, in process.
novalune_add_test(runmode_test
  ${CMAKE_CURRENT_LIST_DIR}/runmode_test.cpp
  ${CMAKE_SOURCE_DIR}/src/app/RunMode.cpp)
target_link_libraries(runmode_test PRIVATE novalune_common)
