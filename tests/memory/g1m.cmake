# Calculator files: header, converters, export, import and backup.
file(GLOB VK_MEMORY_G1M_TESTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/g1m_*_test.cpp)
vk_add_test(NAME memory_g1m_tests
            SOURCES ${VK_MEMORY_G1M_TESTS} ${CMAKE_CURRENT_LIST_DIR}/g1m_test_support.cpp
            ${CMAKE_CURRENT_LIST_DIR}/fs_test_support.cpp ${CMAKE_CURRENT_LIST_DIR}/mcs_test_support.cpp
            LIBS vk_memory_core)

# libFuzzer over the import of arbitrary bytes (clang only, opt in with
# -DVK_G1M_FUZZ=ON). The memory sources are built into the target itself so
# that the fuzzer sees their coverage.
option(VK_G1M_FUZZ "Build the calculator-file import fuzzer (clang)" OFF)
if(VK_G1M_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  file(GLOB VK_G1M_FUZZ_MEMORY CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/src/memory/*.cpp)
  add_executable(g1m_fuzz ${CMAKE_CURRENT_LIST_DIR}/g1m_fuzz.cpp ${VK_G1M_FUZZ_MEMORY})
  target_include_directories(g1m_fuzz PRIVATE ${PROJECT_SOURCE_DIR}/src)
  target_compile_options(g1m_fuzz PRIVATE -fsanitize=fuzzer,address,undefined
                         -fno-sanitize-recover=all)
  target_link_options(g1m_fuzz PRIVATE -fsanitize=fuzzer,address,undefined)
endif()
