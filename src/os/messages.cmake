# The message tables: msggen turns data/messages/messages.txt into the five
# language tables compiled into vk_os. It converts the texts with the OS's
# own character set, so it is built from charset.cpp and the font tables
# that fonts.cmake generates.
set(VK_MESSAGE_DATA ${PROJECT_SOURCE_DIR}/data/messages/messages.txt)
set(VK_MESSAGE_TABLES ${CMAKE_CURRENT_BINARY_DIR}/generated/message_tables.cpp)
if(NOT VK_FONT_TABLES)
  message(FATAL_ERROR "messages.cmake needs the font tables of fonts.cmake")
endif()

# The font tables feed both msggen and vk_os; one target generates them so
# the two never run the generator side by side.
add_custom_target(vk_font_tables DEPENDS ${VK_FONT_TABLES})

add_executable(vk_msggen ${CMAKE_CURRENT_SOURCE_DIR}/msggen/msggen.cpp
                         ${CMAKE_CURRENT_SOURCE_DIR}/charset.cpp ${VK_FONT_TABLES})
target_include_directories(vk_msggen PRIVATE ${PROJECT_SOURCE_DIR}/src)
add_dependencies(vk_msggen vk_font_tables)

add_custom_command(
  OUTPUT ${VK_MESSAGE_TABLES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND vk_msggen ${VK_MESSAGE_DATA} ${VK_MESSAGE_TABLES}
  DEPENDS vk_msggen ${VK_MESSAGE_DATA}
  COMMENT "Generating the message tables from data/messages"
  VERBATIM)
target_sources(vk_os PRIVATE ${VK_MESSAGE_TABLES})
