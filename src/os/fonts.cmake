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
