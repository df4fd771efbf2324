# Writes a C++ source holding a file's bytes as a char array, so a text is compiled in exactly as
# it is (no substitution, no delimiter that the text could contain). Run as a build step:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DSYMBOL=name -P Embed.cmake
# It defines `const char SYMBOL[]` (the bytes and a NUL) and `const size_t SYMBOLSize`.
file(READ "${INPUT}" hex HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
get_filename_component(name "${INPUT}" NAME)
file(WRITE "${OUTPUT}.tmp"
    "// Generated from ${name} by the build; edit that file instead.\n"
    "#include <cstddef>\n"
    "extern const char ${SYMBOL}[] = {${bytes}0};\n"
    "extern const size_t ${SYMBOL}Size = sizeof(${SYMBOL}) - 1;\n")
file(COPY_FILE "${OUTPUT}.tmp" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.tmp")
