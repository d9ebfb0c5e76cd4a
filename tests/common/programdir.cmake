# The choice of the program folder: portable, installed, read-only, overridden.
novalune_add_test(programdir_test ${CMAKE_CURRENT_LIST_DIR}/programdir_test.cpp)
target_link_libraries(programdir_test PRIVATE novalune_common)
