# Compiles data/strings.txt (number, tab, text with C escapes) into a C++ source
# with a generator built from tools/embed_strings.cpp.
add_executable(kastrell_embed_strings ${CMAKE_SOURCE_DIR}/tools/embed_strings.cpp)
set_target_properties(kastrell_embed_strings PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
if(KASTRELL_SANITIZE)
  # The generator runs during the build; it need not be instrumented.
  target_compile_options(kastrell_embed_strings PRIVATE -fno-sanitize=all)
  target_link_options(kastrell_embed_strings PRIVATE -fno-sanitize=all)
endif()

set(KASTRELL_STRINGS_CPP ${CMAKE_BINARY_DIR}/generated/StringData.cpp)
add_custom_command(
  OUTPUT ${KASTRELL_STRINGS_CPP}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND kastrell_embed_strings ${CMAKE_SOURCE_DIR}/data/strings.txt ${KASTRELL_STRINGS_CPP}
  DEPENDS kastrell_embed_strings ${CMAKE_SOURCE_DIR}/data/strings.txt
  COMMENT "Embedding the string table")
