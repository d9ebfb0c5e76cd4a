# The server console's widgets with the real engine and adapter on loopback.
foreach(part actions life)
  novalune_add_test(console_${part}_test
    ${CMAKE_CURRENT_LIST_DIR}/console_${part}_test.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_fixture.cpp
    ${CMAKE_CURRENT_LIST_DIR}/console_fixture.h)
  target_link_libraries(console_${part}_test PRIVATE novalune_server_console novalune_test_client Qt6::Widgets)
endforeach()
