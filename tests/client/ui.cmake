# Client main window and member tree, offscreen.
novalune_add_test(client_ui_test client/ui_form_test.cpp client/ui_tree_test.cpp client/ui_autotimer_test.cpp
  client/ui_window_test.cpp client/ui_private_test.cpp client/ui_sound_test.cpp)
target_link_libraries(client_ui_test PRIVATE novalune_client_ui Qt6::Test)

# The window against the real server on loopback.
novalune_add_test(client_ui_server_test client/ui_server_test.cpp)
target_link_libraries(client_ui_server_test PRIVATE novalune_client_ui novalune_test_support novalune_test_http Qt6::Test)

# The URL list and user history dialogs, offscreen.
novalune_add_test(client_history_ui_test client/ui_history_test.cpp)
target_link_libraries(client_history_ui_test PRIVATE novalune_client_ui Qt6::Test)
