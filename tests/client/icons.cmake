# The web client, member icons, the icon bar, the icon dialog and the message
# board against a real web server (and tinyproxy) on loopback, offscreen.
novalune_add_test(client_icons_test client/icons_http_test.cpp client/icons_ui_test.cpp)
target_link_libraries(client_icons_test PRIVATE novalune_client_ui novalune_test_http Qt6::Test)
