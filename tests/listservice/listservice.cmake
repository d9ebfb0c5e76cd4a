# The server-list service: its rules without sockets, then the adapter and the
# real program over loopback.
novalune_add_test(listservice_core_test ${CMAKE_CURRENT_LIST_DIR}/listservice_core_test.cpp)
target_link_libraries(listservice_core_test PRIVATE novalune_listservice_core)
set_target_properties(listservice_core_test PROPERTIES AUTOMOC OFF)

novalune_add_test(listservice_server_test ${CMAKE_CURRENT_LIST_DIR}/listservice_server_test.cpp)
target_link_libraries(listservice_server_test PRIVATE novalune_listservice_net Qt6::Core Qt6::Network)
target_compile_definitions(listservice_server_test PRIVATE NOVALUNE_LIST_PROGRAM="$<TARGET_FILE:novalune-list>")
add_dependencies(listservice_server_test novalune-list)
