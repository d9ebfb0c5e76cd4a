# Client engine: unit tests with a fake window and fake sockets.
novalune_add_test(client_core_test
  client/client_memberlist_test.cpp
  client/client_connection_test.cpp
  client/client_dispatch_test.cpp
  client/client_privmsg_test.cpp
  client/client_commands_test.cpp
  client/client_hostlink_test.cpp
  client/client_settings_test.cpp
  client/client_history_test.cpp)
target_link_libraries(client_core_test PRIVATE novalune_client_core)

# Against the real server on loopback.
novalune_add_test(client_integration_test client/client_integration_test.cpp)
target_link_libraries(client_integration_test PRIVATE novalune_client_net novalune_test_support Qt6::Test)
