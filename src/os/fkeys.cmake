# The function-key label table: data/fkeys/labels.txt embedded as text; the
# icons are drawn from it when the system starts.
set(VK_FKEY_LABELS ${PROJECT_SOURCE_DIR}/data/fkeys/labels.txt)
set(VK_FKEY_LABEL_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/fkey_label_text.cpp)
add_custom_command(
  OUTPUT ${VK_FKEY_LABEL_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND ${CMAKE_COMMAND} -DIN=${VK_FKEY_LABELS} -DOUT=${VK_FKEY_LABEL_SOURCE}
          -DSYMBOL=kFKeyLabelText -P ${CMAKE_CURRENT_SOURCE_DIR}/embed/embed_text.cmake
  DEPENDS ${VK_FKEY_LABELS} ${CMAKE_CURRENT_SOURCE_DIR}/embed/embed_text.cmake
  COMMENT "Embedding the function-key labels"
  VERBATIM)
target_sources(vk_os PRIVATE ${VK_FKEY_LABEL_SOURCE})
