# Calculator files: export and import of a full main memory against plain
# file writes and reads of the same bytes.
vk_add_bench(NAME memory_g1m SOURCES ${CMAKE_CURRENT_LIST_DIR}/g1m_bench.cpp LIBS vk_memory_core)
