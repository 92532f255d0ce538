# Turns a text data file into a C++ source that holds it as one string, so
# the data stays a reviewable file and the program needs no file at run time.
# Usage: cmake -DIN=file -DOUT=file.cpp -DSYMBOL=name -P EmbedText.cmake (see vk_embed_text)
file(READ "${IN}" content)
string(FIND "${content}" ")vkdata\"" clash)
if(NOT clash EQUAL -1)
  message(FATAL_ERROR "${IN} contains the end marker of the embedded text")
endif()
file(WRITE "${OUT}" "// Generated from ${IN}; edit that file instead.\n"
  "extern const char ${SYMBOL}[];\n"
  "const char ${SYMBOL}[] = R\"vkdata(${content})vkdata\";\n")
