# The code conversion, the tokenisers and the Shift-JIS text helpers on arbitrary bytes.
novalune_add_fuzzer(jconvert_fuzz ${CMAKE_CURRENT_LIST_DIR}/jconvert_fuzz.cpp)
target_include_directories(jconvert_fuzz PRIVATE ${CMAKE_SOURCE_DIR}/tests)
target_link_libraries(jconvert_fuzz PRIVATE novalune_common)

novalune_add_fuzzer(cmdcut_fuzz ${CMAKE_CURRENT_LIST_DIR}/cmdcut_fuzz.cpp)
target_link_libraries(cmdcut_fuzz PRIVATE novalune_common)

novalune_add_fuzzer(sjistext_fuzz ${CMAKE_CURRENT_LIST_DIR}/sjistext_fuzz.cpp)
target_link_libraries(sjistext_fuzz PRIVATE novalune_common)
