# Japanese code conversion, tokenisers and Shift-JIS text helpers.
novalune_add_test(jconvert_test ${CMAKE_CURRENT_LIST_DIR}/jconvert_test.cpp)
target_link_libraries(jconvert_test PRIVATE novalune_common)

novalune_add_test(cmdparam_test ${CMAKE_CURRENT_LIST_DIR}/cmdparam_test.cpp)
target_link_libraries(cmdparam_test PRIVATE novalune_common)

novalune_add_test(sjistext_test ${CMAKE_CURRENT_LIST_DIR}/sjistext_test.cpp)
target_link_libraries(sjistext_test PRIVATE novalune_common)
