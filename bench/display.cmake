# Appending statements to the conversation display: time and memory.
add_executable(display_bench ${CMAKE_CURRENT_LIST_DIR}/display_bench.cpp)
target_link_libraries(display_bench PRIVATE novalune_client_display)
target_include_directories(display_bench PRIVATE ${CMAKE_SOURCE_DIR}/src)
