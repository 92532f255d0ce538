# Storage memory against plain sequential file writes.
vk_add_bench(NAME memory_fs SOURCES ${CMAKE_CURRENT_LIST_DIR}/fs_bench.cpp LIBS vk_memory_core)
