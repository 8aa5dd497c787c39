# The string tables. data/strings.txt (number, tab, optional name, tab, text
# with C escapes) is compiled in, and its named ids become constants in the
# generated header platform/StringIds.h (namespace kastrell::ids). Every build
# also checks that each string has its English twin in data/lang/1252/strings.txt
# and that the twin table's #version is the program's version.
add_executable(kastrell_embed_strings
  ${CMAKE_SOURCE_DIR}/tools/embed_strings.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/StringTableFile.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/Utf.cpp)
target_include_directories(kastrell_embed_strings PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(kastrell_embed_strings PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)
if(KASTRELL_SANITIZE)
  # The generator runs during the build; it need not be instrumented.
  target_compile_options(kastrell_embed_strings PRIVATE -fno-sanitize=all)
  target_link_options(kastrell_embed_strings PRIVATE -fno-sanitize=all)
endif()

set(KASTRELL_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(KASTRELL_STRINGS_CPP ${KASTRELL_GENERATED_DIR}/StringData.cpp)
set(KASTRELL_STRING_IDS_H ${KASTRELL_GENERATED_DIR}/platform/StringIds.h)
add_custom_command(
  OUTPUT ${KASTRELL_STRINGS_CPP}
  # The header is rewritten only when the names change; as a by-product Ninja
  # notices that it stayed the same and recompiles nothing for a new text.
  BYPRODUCTS ${KASTRELL_STRING_IDS_H}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${KASTRELL_GENERATED_DIR}/platform
  COMMAND kastrell_embed_strings ${CMAKE_SOURCE_DIR}/data/strings.txt ${KASTRELL_STRINGS_CPP} ${KASTRELL_STRING_IDS_H}
  DEPENDS kastrell_embed_strings ${CMAKE_SOURCE_DIR}/data/strings.txt
  COMMENT "Embedding the string table")

set(KASTRELL_ENGLISH_STRINGS ${CMAKE_SOURCE_DIR}/data/lang/1252/strings.txt)
set(KASTRELL_TWINS_STAMP ${KASTRELL_GENERATED_DIR}/string_twins.ok)
add_custom_command(
  OUTPUT ${KASTRELL_TWINS_STAMP}
  COMMAND kastrell_embed_strings --check-twins ${CMAKE_SOURCE_DIR}/data/strings.txt ${KASTRELL_ENGLISH_STRINGS}
          ${PROJECT_VERSION} ${KASTRELL_TWINS_STAMP}
  DEPENDS kastrell_embed_strings ${CMAKE_SOURCE_DIR}/data/strings.txt ${KASTRELL_ENGLISH_STRINGS}
  COMMENT "Checking that every string has its English twin")
add_custom_target(kastrell_strings ALL DEPENDS ${KASTRELL_STRINGS_CPP} ${KASTRELL_TWINS_STAMP})
