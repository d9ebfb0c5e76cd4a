# The client's dialogs: their rules without widgets, and the dialogs offscreen.
novalune_add_test(settings_rules_test
  ${CMAKE_CURRENT_LIST_DIR}/settings_rules_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_fixture.h)
target_link_libraries(settings_rules_test PRIVATE novalune_settings)

novalune_add_test(settings_dialogs_test
  ${CMAKE_CURRENT_LIST_DIR}/settings_dialogs_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_lists_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_msgbox_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/settings_fixture.h)
target_link_libraries(settings_dialogs_test PRIVATE novalune_settings Qt6::Test)
