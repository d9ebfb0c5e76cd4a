# Conversation display: text rules without widgets, then the widgets offscreen.
novalune_add_test(client_display_text_test client/display_text_test.cpp client/display_rtf_test.cpp)
target_link_libraries(client_display_text_test PRIVATE novalune_client_display)

novalune_add_test(client_display_test
  client/display_widget_test.cpp
  client/display_log_test.cpp
  client/display_windows_test.cpp)
target_link_libraries(client_display_test PRIVATE novalune_client_display Qt6::Test)
