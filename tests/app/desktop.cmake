# The program on a Linux desktop: its options without a display, Qt's Japanese
# texts, the link hand-over to a running client and the help window.
novalune_add_test(desktop_test ${CMAKE_CURRENT_LIST_DIR}/desktop_test.cpp)
target_link_libraries(desktop_test PRIVATE novalune_desktop novalune_client_ui Qt6::Widgets)
target_compile_definitions(desktop_test PRIVATE NOVALUNE_PROGRAM="$<TARGET_FILE:novalune>")
add_dependencies(desktop_test novalune)

# The Debian package's file list and the validators of the desktop files.
add_test(NAME package_check COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-package.sh ${CMAKE_BINARY_DIR})
set_tests_properties(package_check PROPERTIES SKIP_RETURN_CODE 77 RESOURCE_LOCK package TIMEOUT 600)
