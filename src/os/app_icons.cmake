# The main menu's artwork: data/icons/apps.txt embedded as text and turned
# into icon bitmaps when the system starts.
set(VK_APP_ICONS ${PROJECT_SOURCE_DIR}/data/icons/apps.txt)
set(VK_APP_ICON_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/app_icon_text.cpp)
add_custom_command(
  OUTPUT ${VK_APP_ICON_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -DIN=${VK_APP_ICONS} -DOUT=${VK_APP_ICON_SOURCE}
          -DSYMBOL=kAppIconText -P ${CMAKE_CURRENT_SOURCE_DIR}/embed/embed_text.cmake
  DEPENDS ${VK_APP_ICONS} ${CMAKE_CURRENT_SOURCE_DIR}/embed/embed_text.cmake
  COMMENT "Embedding the main menu artwork"
  VERBATIM)
target_sources(vk_os PRIVATE ${VK_APP_ICON_SOURCE})
