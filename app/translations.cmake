# The translation template: every text the GUI passes to the translation lookup, extracted
# from app/src into po/koramanage.pot on every build that changes a source.
find_program(KM_XGETTEXT xgettext)
if(NOT KM_XGETTEXT)
  message(FATAL_ERROR "xgettext not found: it comes with the Debian package gettext "
                      "(scripts/setup installs it)")
endif()

file(GLOB KM_POT_SOURCES CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/src/*.h)
list(SORT KM_POT_SOURCES)
list(TRANSFORM KM_POT_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/ OUTPUT_VARIABLE KM_POT_SOURCE_PATHS)
set(KM_POT ${CMAKE_BINARY_DIR}/po/koramanage.pot)

# Relative source names keep the references in the template the same on every machine.
add_custom_command(
  OUTPUT ${KM_POT}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/po
  COMMAND ${KM_XGETTEXT} --language=C++ --from-code=UTF-8 -k_ -kwxPLURAL:1,2 -kwxTRANSLATE
          --add-comments=TRANSLATORS: --package-name=KORAManage
          --package-version=${PROJECT_VERSION} --output=${KM_POT}.part ${KM_POT_SOURCES}
  COMMAND ${CMAKE_COMMAND} -E rename ${KM_POT}.part ${KM_POT}
  WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
  DEPENDS ${KM_POT_SOURCE_PATHS}
  COMMENT "Extracting the translation template"
  VERBATIM)
add_custom_target(pot ALL DEPENDS ${KM_POT})
# For the tests and the installation.
set(KM_POT ${KM_POT} PARENT_SCOPE)
