# Writes a file's bytes as a C++ source file, run at build time:
#   cmake -DINPUT=FILE -DOUTPUT=SOURCE -DNAME=IDENTIFIER -DHEADER=INCLUDE -P EmbedFile.cmake
# The source defines `const unsigned char NAME[]` and `const unsigned long NAME``Size`, declared
# extern in HEADER. It runs on the build machine, so a cross build embeds the same bytes.
file(READ "${INPUT}" bytes HEX)
string(LENGTH "${bytes}" hexLength)
math(EXPR size "${hexLength} / 2")
# Sixteen bytes a line.
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
string(REGEX REPLACE "((0x..,){16})" "\\1\n    " bytes "${bytes}")
file(WRITE "${OUTPUT}.new"
  "// Made from ${INPUT} at build time by cmake/EmbedFile.cmake: do not edit.\n"
  "#include \"${HEADER}\"\n\n"
  "const unsigned char ${NAME}[] = {\n    ${bytes}\n};\n"
  "const unsigned long ${NAME}Size = ${size};\n")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
