# File transfer: the engines alone, then both ends over loopback sockets and
# through the real server, then the windows offscreen.
novalune_add_test(transfer_core_test client/transfer_core_test.cpp)
target_link_libraries(transfer_core_test PRIVATE novalune_client_core)

novalune_add_test(transfer_net_test client/transfer_net_test.cpp)
target_link_libraries(transfer_net_test PRIVATE novalune_client_net novalune_test_support Qt6::Widgets Qt6::Test)

novalune_add_test(transfer_ui_test client/transfer_ui_test.cpp)
target_link_libraries(transfer_ui_test PRIVATE novalune_client_ui novalune_test_support Qt6::Test)
