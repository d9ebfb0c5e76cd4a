# The publication's readers of untrusted bytes: a script's answer, a record
# before it is sent, the script table file and the time field's text.
novalune_add_fuzzer(publish_fuzz ${CMAKE_CURRENT_LIST_DIR}/publish_fuzz.cpp)
target_link_libraries(publish_fuzz PRIVATE novalune_client_core)
