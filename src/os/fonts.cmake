# The two fonts and the character set: fontgen turns the text art of
# data/fonts/ into tables compiled into vk_os.
add_executable(vk_fontgen ${CMAKE_CURRENT_SOURCE_DIR}/fontgen/fontgen.cpp)
set(VK_FONT_DATA ${PROJECT_SOURCE_DIR}/data/fonts/normal.txt ${PROJECT_SOURCE_DIR}/data/fonts/mini.txt)
set(VK_FONT_TABLES ${CMAKE_CURRENT_BINARY_DIR}/generated/font_tables.cpp)
add_custom_command(
  OUTPUT ${VK_FONT_TABLES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND vk_fontgen ${VK_FONT_DATA} ${VK_FONT_TABLES}
  DEPENDS vk_fontgen ${VK_FONT_DATA}
  COMMENT "Generating the font tables from data/fonts"
  VERBATIM)
target_sources(vk_os PRIVATE ${VK_FONT_TABLES})

# fontgen must refuse broken art with a message that says what is wrong and
# where: each case file names the message it expects on its first line.
file(GLOB VK_FONTGEN_CASES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/os/fontgen_cases/*.txt)
foreach(case ${VK_FONTGEN_CASES})
  get_filename_component(name ${case} NAME_WE)
  file(STRINGS ${case} expect LIMIT_COUNT 1)
  string(REGEX REPLACE "^.*expect: " "" expect "${expect}")
  if(name MATCHES "^mini_")
    set(inputs ${PROJECT_SOURCE_DIR}/data/fonts/normal.txt ${case})
  else()
    set(inputs ${case} ${PROJECT_SOURCE_DIR}/data/fonts/mini.txt)
  endif()
  add_test(NAME fontgen_${name}
           COMMAND vk_fontgen ${inputs} ${CMAKE_CURRENT_BINARY_DIR}/generated/rejected_${name}.cpp)
  set_tests_properties(fontgen_${name} PROPERTIES PASS_REGULAR_EXPRESSION "${expect}")
endforeach()
