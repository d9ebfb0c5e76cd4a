# The file transfer's offer words, received names and acknowledgement stream.
novalune_add_fuzzer(transfer_fuzz ${CMAKE_CURRENT_LIST_DIR}/transfer_fuzz.cpp)
target_link_libraries(transfer_fuzz PRIVATE novalune_client_core)
