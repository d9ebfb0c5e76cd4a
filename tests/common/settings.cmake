# Settings store: NOVALUNE.INI engine, access helpers, list files, atomic writes.
novalune_add_test(settings_test ${CMAKE_CURRENT_LIST_DIR}/settings_test.cpp)
target_link_libraries(settings_test PRIVATE novalune_common)
