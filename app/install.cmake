# Installation: the programs, the help book and docs/ in share/koramanage, the desktop entry
# and icon, the translation template, and a first settings file whose kmRootDir names the
# installed share folder. An existing settings file is the operator's and is never replaced.
install(TARGETS koramanage RUNTIME DESTINATION bin)
foreach(program kmjob kmsim)
  if(TARGET ${program})
    install(TARGETS ${program} RUNTIME DESTINATION bin)
  endif()
endforeach()

set(KM_SHARE_DIR share/koramanage)
install(FILES ${KM_HELP_BOOK} DESTINATION ${KM_SHARE_DIR}/docs)
# The help sources are in the book already.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${KM_SHARE_DIR}/docs
        PATTERN help EXCLUDE)
install(FILES ${KM_POT} DESTINATION ${KM_SHARE_DIR}/po)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/koramanage.desktop DESTINATION share/applications)
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/res/koramanage.svg
        DESTINATION share/icons/hicolor/scalable/apps)

# The settings folder is the machine-wide data folder, or KORAMANAGE_APPDATA as the program
# itself reads it, both taken when the installation runs.
install(CODE [[
  set(km_appdata "$ENV{KORAMANAGE_APPDATA}")
  if(km_appdata STREQUAL "")
    set(km_appdata /var/lib)
  endif()
  if(NOT IS_ABSOLUTE "${km_appdata}")
    message(FATAL_ERROR "KORAMANAGE_APPDATA must be an absolute path: ${km_appdata}")
  endif()
  set(km_settings_dir "$ENV{DESTDIR}${km_appdata}/Norvale/KORA/KMAN")
  set(km_settings "${km_settings_dir}/koramanage.ini")
  if(EXISTS "${km_settings}" OR IS_SYMLINK "${km_settings}")
    message(STATUS "Kept: ${km_settings}")
  else()
    file(MAKE_DIRECTORY "${km_settings_dir}")
    file(WRITE "${km_settings}.new" "kmRootDir=${CMAKE_INSTALL_PREFIX}/share/koramanage\n")
    # NO_REPLACE: a file that appeared meanwhile still wins.
    file(RENAME "${km_settings}.new" "${km_settings}" NO_REPLACE RESULT km_renamed)
    file(REMOVE "${km_settings}.new")
    if(km_renamed STREQUAL "0")
      message(STATUS "Installing: ${km_settings}")
    else()
      message(STATUS "Kept: ${km_settings}")
    endif()
  endif()
]])
