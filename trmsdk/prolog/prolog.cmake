# Enciphers prolog.ps (eexec) into a generated C++ source that defines trm::JobProlog().
# Sets TRM_PROLOG_SOURCE for the trmsdk library. The generated file lives in the build tree.

# Fixed so that builds are reproducible; change it together with the prolog.
set(TRM_PROLOG_DATE "Sun Dec 06 22:30:00 2026")

set(TRM_PROLOG_PS ${CMAKE_CURRENT_LIST_DIR}/prolog.ps)
set(TRM_PROLOG_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/job_prolog.cpp)

# A host tool: it runs during the build and is never installed.
add_executable(prolog_encipher ${CMAKE_CURRENT_LIST_DIR}/../tools/prolog_encipher.cpp)

add_custom_command(
  OUTPUT ${TRM_PROLOG_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND prolog_encipher ${TRM_PROLOG_PS} ${TRM_PROLOG_SOURCE} "${TRM_PROLOG_DATE}"
  DEPENDS prolog_encipher ${TRM_PROLOG_PS}
  COMMENT "Enciphering the job prolog"
  VERBATIM)
