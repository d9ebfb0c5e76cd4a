# The NOVALUNE.INI engine and the list file format on arbitrary bytes.
novalune_add_fuzzer(settings_fuzz ${CMAKE_CURRENT_LIST_DIR}/settings_fuzz.cpp ${CMAKE_SOURCE_DIR}/src/common/SettingsIni.cpp)
target_link_libraries(settings_fuzz PRIVATE novalune_common)
