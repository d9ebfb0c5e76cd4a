# The list service's request reader, record parser, store file and answers on arbitrary bytes.
novalune_add_fuzzer(listservice_fuzz ${CMAKE_CURRENT_LIST_DIR}/listservice_fuzz.cpp)
target_link_libraries(listservice_fuzz PRIVATE novalune_listservice_core)
