# Writes the text file INPUT into the C++ source OUTPUT as the bytes of the array NAME (with a
# terminating NUL) and NAME_SIZE, its length without it: cmake -DINPUT=... -DOUTPUT=...
# -DNAME=... -P embed_text.cmake
file(READ ${INPUT} hex HEX)
string(LENGTH "${hex}" digits)
math(EXPR size "${digits} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
string(REGEX REPLACE "(0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,0x..,)" "\\1\n"
       bytes "${bytes}")
file(WRITE ${OUTPUT}.new
     "// Written by cmake/embed_text.cmake from ${INPUT}: do not edit.\n"
     "#include <cstddef>\n"
     "extern const char ${NAME}[];\n"
     "extern const size_t ${NAME}Size;\n"
     "const char ${NAME}[] = {\n${bytes}0};\n"
     "const size_t ${NAME}Size = ${size};\n")
file(COPY_FILE ${OUTPUT}.new ${OUTPUT} ONLY_IF_DIFFERENT)
file(REMOVE ${OUTPUT}.new)
