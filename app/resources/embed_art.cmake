# Writes OUTPUT, a C file that holds each PNG of INPUTS (a ;-list) as a
# GlyImageData named gly_art_<file stem>.
#   cmake -DINPUTS=a.png;b.png -DOUTPUT=art_data.c -P embed_art.cmake
set(code "/* Generated from the drawn PNG files; do not edit. */\n#include \"resource_library.h\"\n")
foreach(input IN LISTS INPUTS)
  get_filename_component(stem ${input} NAME_WE)
  file(READ ${input} hex HEX)
  string(LENGTH "${hex}" hex_length)
  math(EXPR size "${hex_length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  string(REGEX REPLACE "((0x..,){24})" "\\1\n  " bytes "${bytes}")
  string(APPEND code
    "\nstatic const unsigned char ${stem}_png[${size}] = {\n  ${bytes}\n};\n"
    "const GlyImageData gly_art_${stem} = {${stem}_png, sizeof ${stem}_png};\n")
endforeach()
file(WRITE ${OUTPUT} "${code}")
