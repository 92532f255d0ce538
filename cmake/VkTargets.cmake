# Helpers shared by every folder's CMakeLists.

# Adds each existing subfolder (that has a CMakeLists.txt) in the order given,
# so an area can land without touching the files of the others.
# VK_SKIP_AREAS (a list such as "math;memory") leaves areas out of a
# private build while they are being written.
function(vk_add_subdirs)
  foreach(dir ${ARGN})
    if(dir IN_LIST VK_SKIP_AREAS)
      continue()
    endif()
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
      add_subdirectory(${dir})
    endif()
  endforeach()
endfunction()

# vk_add_test(NAME name SOURCES ... LIBS ... [LABELS ...])
# One GoogleTest program, run by CTest as one test.
function(vk_add_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
  target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${T_NAME} PRIVATE VK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# vk_add_bench(NAME name SOURCES ... LIBS ...)
# Benchmark programs are named bench_* so `make bench` finds them all.
function(vk_add_bench)
  cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(bench_${B_NAME} ${B_SOURCES})
  target_link_libraries(bench_${B_NAME} PRIVATE ${B_LIBS} benchmark::benchmark)
  target_include_directories(bench_${B_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})
endfunction()

# vk_embed_text(TARGET data/file SYMBOL)
# Compiles a text data file into TARGET as the string `SYMBOL`, so the data
# stays a reviewable file and the program needs no file at run time.
function(vk_embed_text target file symbol)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/generated/${symbol}.cpp)
  add_custom_command(
    OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
    COMMAND ${CMAKE_COMMAND} -DIN=${PROJECT_SOURCE_DIR}/${file} -DOUT=${out} -DSYMBOL=${symbol}
            -P ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/${file} ${PROJECT_SOURCE_DIR}/cmake/EmbedText.cmake
    COMMENT "Embedding ${file}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()
