# Storage memory: flash image, file system, optimisation.
set(VK_MEMORY_FS_SUPPORT ${CMAKE_CURRENT_LIST_DIR}/fs_test_support.cpp
    ${CMAKE_CURRENT_LIST_DIR}/fs_powercut.cpp)
file(GLOB VK_MEMORY_FS_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/fs_*_test.cpp
     ${CMAKE_CURRENT_LIST_DIR}/flash_*_test.cpp ${CMAKE_CURRENT_LIST_DIR}/opt_*_test.cpp)
vk_add_test(NAME memory_fs_tests SOURCES ${VK_MEMORY_FS_TESTS} ${VK_MEMORY_FS_SUPPORT}
            LIBS vk_memory_core)
# Every cut point, every pair of cut points, 10,000 rounds of soak.
vk_add_test(NAME memory_fs_powercut_long
            SOURCES ${CMAKE_CURRENT_LIST_DIR}/fs_powercut_long.cpp ${VK_MEMORY_FS_SUPPORT}
            LIBS vk_memory_core LABELS long)
