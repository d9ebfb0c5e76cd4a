# Fan-out load generator for the server benchmark (bench/run-server-bench.sh).
# Plain C++ on epoll: it links nothing of ours, so it drives any IRC server alike.
add_executable(novalune_loadgen ${CMAKE_CURRENT_LIST_DIR}/loadgen.cpp ${CMAKE_CURRENT_LIST_DIR}/loadgen_engine.cpp)
set_target_properties(novalune_loadgen PROPERTIES AUTOMOC OFF)
