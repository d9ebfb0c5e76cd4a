# Client engine: unit tests with a fake window and fake sockets.
novalune_add_test(client_core_test
  client/MemberList_test.cpp
  client/ClientConnection_test.cpp
  client/ClientDispatch_test.cpp
  client/ClientPrivmsg_test.cpp
  client/ClientCommands_test.cpp
  client/HostLink_test.cpp
  client/ClientSettings_test.cpp)
target_link_libraries(client_core_test PRIVATE novalune_client_core)

# Against the real server on loopback.
novalune_add_test(client_integration_test client/ClientIntegration_test.cpp)
target_link_libraries(client_integration_test PRIVATE novalune_client_net novalune_test_support Qt6::Test)
