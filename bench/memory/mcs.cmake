# Main-memory arena against a plain std::map of byte vectors.
vk_add_bench(NAME memory_mcs SOURCES ${CMAKE_CURRENT_LIST_DIR}/mcs_bench.cpp LIBS vk_memory_core)
