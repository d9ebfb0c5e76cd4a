# Client main window and member tree, offscreen.
novalune_add_test(client_ui_test client/ui_form_test.cpp client/ui_tree_test.cpp client/ui_autotimer_test.cpp
  client/ui_window_test.cpp)
target_link_libraries(client_ui_test PRIVATE novalune_client_ui Qt6::Test)

# The window against the real server on loopback; the server's test support
# is defined by another part, so the target is added once every part is read.
set(NOVALUNE_CLIENT_UI_TEST_DIR ${CMAKE_CURRENT_LIST_DIR})
function(novalune_client_ui_server_test)
  if(TARGET novalune_test_support AND TARGET novalune_client_ui)
    novalune_add_test(client_ui_server_test client/ui_server_test.cpp)
    target_link_libraries(client_ui_server_test PRIVATE novalune_client_ui novalune_test_support Qt6::Test)
  endif()
endfunction()
cmake_language(DEFER CALL novalune_client_ui_server_test)
