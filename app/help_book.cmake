# The help book: the pages, contents and index of docs/help packed into one zip that
# wxHtmlHelpController opens as ROOT/docs/kmhelp.htb.
set(KM_HELP_SOURCE_DIR ${PROJECT_SOURCE_DIR}/docs/help)
set(KM_HELP_BOOK ${CMAKE_BINARY_DIR}/docs/kmhelp.htb)
file(GLOB KM_HELP_FILES CONFIGURE_DEPENDS RELATIVE ${KM_HELP_SOURCE_DIR}
     ${KM_HELP_SOURCE_DIR}/*.hhp ${KM_HELP_SOURCE_DIR}/*.hhc ${KM_HELP_SOURCE_DIR}/*.hhk
     ${KM_HELP_SOURCE_DIR}/*.html ${KM_HELP_SOURCE_DIR}/*.png)
list(SORT KM_HELP_FILES)
list(TRANSFORM KM_HELP_FILES PREPEND ${KM_HELP_SOURCE_DIR}/ OUTPUT_VARIABLE KM_HELP_FILE_PATHS)

# Written beside the book and renamed, so an interrupted build never leaves a cut book.
add_custom_command(
  OUTPUT ${KM_HELP_BOOK}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/docs
  COMMAND ${CMAKE_COMMAND} -E tar cf ${KM_HELP_BOOK}.part --format=zip ${KM_HELP_FILES}
  COMMAND ${CMAKE_COMMAND} -E rename ${KM_HELP_BOOK}.part ${KM_HELP_BOOK}
  WORKING_DIRECTORY ${KM_HELP_SOURCE_DIR}
  DEPENDS ${KM_HELP_FILE_PATHS}
  COMMENT "Packing the help book"
  VERBATIM)
add_custom_target(help_book ALL DEPENDS ${KM_HELP_BOOK})
# For the tests, which read the book the build made.
set(KM_HELP_BOOK ${KM_HELP_BOOK} PARENT_SCOPE)
