# The built-in interpreter image: a folder laid out as on the printer disk (mtb/VER,
# mtb/src/mtb.eeh, ...) becomes a generated C++ source with every file's bytes and its hex
# load_file record. Sets TRM_IMAGE_SOURCE for the trmsdk library.
#
# -DKM_KORA_IMAGE_DIR=/path builds a vendor's interpreter files in instead of ours; the Lumen
# Imaging module mtb/src/kora.lmi is optional (looked for when CMake configures).

set(KM_KORA_IMAGE_DIR ${CMAKE_CURRENT_LIST_DIR}
    CACHE PATH "Folder of the built-in interpreter image, laid out as on the printer disk")

# Install order.
set(TRM_IMAGE_FILES
  mtb/VER
  mtb/src/mtb.eeh mtb/src/kora.vsm mtb/src/mtb.gep mtb/src/scoat.cck mtb/src/sucoat.cck
  mtb/src/mtb.ddg mtb/src/mtb.417 mtb/src/mtb.max mtb/src/mtb.dmx mtb/src/mtb.qrc
  mtb/src/mtb.4cb mtb/src/cjk.def mtb/src/arb.def mtb/src/mtb.def mtb/src/mtb.pcc
  mtb/src/mtb.mup mtb/src/mtb.bat
  mtb/encoding/courier mtb/encoding/ebcdic mtb/encoding/fontlist
  mtb/encoding/genericsr.afk mtb/encoding/genericsr_bi.afk mtb/encoding/genericsr_bo.afk
  mtb/encoding/genericsr_it.afk mtb/encoding/genericss.afk mtb/encoding/genericss_bi.afk
  mtb/encoding/genericss_bo.afk mtb/encoding/genericss_it.afk mtb/encoding/mac
  mtb/encoding/nullfl mtb/encoding/pc8 mtb/encoding/pcsun mtb/encoding/sun8 mtb/encoding/utf8
  mtb/encoding/utf8_arabic mtb/encoding/win1250 mtb/encoding/win1251 mtb/encoding/win1252
  mtb/encoding/win1253 mtb/encoding/win1254 mtb/encoding/win1255_862
  mtb/imglib/KORAins.jpg mtb/imglib/nlogo.tif
  mtb/formlib/mtblogo.seg mtb/formlib/mtblogb.seg mtb/formlib/tesselstamp.seg)
set(TRM_IMAGE_LUMEN mtb/src/kora.lmi)

set(_trm_image_missing)
set(_trm_image_inputs)
foreach(_name IN LISTS TRM_IMAGE_FILES)
  if(NOT EXISTS ${KM_KORA_IMAGE_DIR}/${_name})
    list(APPEND _trm_image_missing ${_name})
  endif()
  list(APPEND _trm_image_inputs ${KM_KORA_IMAGE_DIR}/${_name})
endforeach()
if(_trm_image_missing)
  list(JOIN _trm_image_missing "\n  " _trm_image_missing)
  message(FATAL_ERROR "The interpreter image folder KM_KORA_IMAGE_DIR=${KM_KORA_IMAGE_DIR} "
                      "lacks these files:\n  ${_trm_image_missing}")
endif()
if(EXISTS ${KM_KORA_IMAGE_DIR}/${TRM_IMAGE_LUMEN})
  set(_trm_image_lumen ${TRM_IMAGE_LUMEN})
  list(APPEND _trm_image_inputs ${KM_KORA_IMAGE_DIR}/${TRM_IMAGE_LUMEN})
else()
  set(_trm_image_lumen -)
endif()

set(TRM_IMAGE_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/generated/builtin_image_data.cpp)

# A host tool: it runs during the build and is never installed.
add_executable(image_embed ${CMAKE_CURRENT_LIST_DIR}/../tools/image_embed.cpp)

add_custom_command(
  OUTPUT ${TRM_IMAGE_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/generated
  COMMAND image_embed ${TRM_IMAGE_SOURCE} ${KM_KORA_IMAGE_DIR} ${_trm_image_lumen}
          ${TRM_IMAGE_FILES}
  DEPENDS image_embed ${_trm_image_inputs}
  COMMENT "Embedding the interpreter image ${KM_KORA_IMAGE_DIR}"
  VERBATIM)
