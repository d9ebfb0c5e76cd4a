# SjisToJis / JisToSjis against glibc iconv on generated chat text.
add_executable(jconvert_bench ${CMAKE_CURRENT_LIST_DIR}/jconvert_bench.cpp)
target_link_libraries(jconvert_bench PRIVATE novalune_common benchmark::benchmark)
target_include_directories(jconvert_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
