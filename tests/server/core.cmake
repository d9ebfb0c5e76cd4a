# The server's protocol engine, driven through a fake adapter.
file(GLOB SERVER_CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/core_*_test.cpp)
novalune_add_test(server_core_test ${SERVER_CORE_TESTS} ${CMAKE_CURRENT_LIST_DIR}/server_standard_test.cpp)
target_link_libraries(server_core_test PRIVATE novalune_server_core)
