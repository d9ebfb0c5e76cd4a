# Server publication: its rules without a network, the two dialogs offscreen,
# and the posts over loopback against a test web server and the real list program.
novalune_add_test(client_publish_core_test client/publish_core_test.cpp)
target_link_libraries(client_publish_core_test PRIVATE novalune_client_core)
set_target_properties(client_publish_core_test PROPERTIES AUTOMOC OFF)

novalune_add_test(client_publish_test client/publish_net_test.cpp client/publish_ui_test.cpp client/ui_publish_test.cpp)
target_link_libraries(client_publish_test PRIVATE novalune_client_ui novalune_test_http Qt6::Test)
target_compile_definitions(client_publish_test PRIVATE NOVALUNE_LIST_PROGRAM="$<TARGET_FILE:novalune-list>")
add_dependencies(client_publish_test novalune-list)
