# Writes the text file INPUT into the C++ source OUTPUT as the bytes of the array NAME (with a
# terminating NUL) and NAME_SIZE, its length without it: cmake -DINPUT=... -DOUTPUT=...
# -DNAME=... -P embed_text.cmake
# The bytes are written as string literals of hexadecimal escapes, twelve to a line, so that
# UTF-8 text (bytes past 0x7F) is held as it is.
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REPEAT "[0-9a-f]" 24 twelve)
string(REGEX REPLACE "(${twelve})" "\\1;" lines "${hex}")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "\\\\x\\1" lines "${lines}")
string(REPLACE ";" "\"\n\"" lines "${lines}")
file(WRITE ${OUTPUT}.new
     "// Written by cmake/embed_text.cmake from ${INPUT}: do not edit.\n"
     "#include <cstddef>\n"
     "extern const char ${NAME}[];\n"
     "extern const size_t ${NAME}Size;\n"
     "const char ${NAME}[] =\n\"${lines}\";\n"
     "const size_t ${NAME}Size = ${size};\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
