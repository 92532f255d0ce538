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
# libFuzzer target for the image mount: clang only, and only when asked for
# by name (`cmake --build ... --target memory_fs_mount_fuzz`).
if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  file(GLOB VK_MEMORY_FS_SOURCES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/memory/flash_*.cpp
       ${PROJECT_SOURCE_DIR}/src/memory/fs_*.cpp ${PROJECT_SOURCE_DIR}/src/memory/opt_*.cpp)
  add_executable(memory_fs_mount_fuzz EXCLUDE_FROM_ALL
                 ${CMAKE_CURRENT_LIST_DIR}/fs_mount_fuzz.cpp ${VK_MEMORY_FS_SOURCES})
  target_include_directories(memory_fs_mount_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(memory_fs_mount_fuzz PRIVATE -fsanitize=fuzzer,address)
  target_link_options(memory_fs_mount_fuzz PRIVATE -fsanitize=fuzzer,address)
endif()
