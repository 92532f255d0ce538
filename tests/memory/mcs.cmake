# Main-memory arena and application layer.
file(GLOB VK_MEMORY_MCS_TESTS CONFIGURE_DEPENDS
     ${CMAKE_CURRENT_LIST_DIR}/mcs_*_test.cpp ${CMAKE_CURRENT_LIST_DIR}/mem_*_test.cpp)
set(VK_MEMORY_MCS_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/mcs_model.cpp
    ${CMAKE_CURRENT_LIST_DIR}/mcs_test_support.cpp)
vk_add_test(NAME memory_mcs_tests SOURCES ${VK_MEMORY_MCS_TESTS} ${VK_MEMORY_MCS_SUPPORT}
            LIBS vk_memory_core)
# The full-length model run: 200,000 random operations.
vk_add_test(NAME memory_mcs_model_long SOURCES ${CMAKE_CURRENT_LIST_DIR}/mcs_model_long.cpp
            ${VK_MEMORY_MCS_SUPPORT} LIBS vk_memory_core LABELS long)
