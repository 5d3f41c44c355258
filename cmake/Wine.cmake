# Runs the Windows test executables under Wine, in a prefix of this build tree,
# with code page 932 and the Japanese font replacements.
set(QLM_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix")
set(CMAKE_CROSSCOMPILING_EMULATOR
    "${CMAKE_SOURCE_DIR}/scripts/wine-run" "${QLM_WINEPREFIX}")

# The prefix is prepared once per build tree; later builds find its stamp.
add_custom_command(
  OUTPUT "${QLM_WINEPREFIX}/.qlm-ready"
  COMMAND "${CMAKE_SOURCE_DIR}/scripts/wine-prefix" "${QLM_WINEPREFIX}"
  DEPENDS "${CMAKE_SOURCE_DIR}/scripts/wine-prefix" "${CMAKE_SOURCE_DIR}/scripts/prefix.reg"
  COMMENT "Preparing the Wine prefix"
  VERBATIM)
add_custom_target(wineprefix ALL DEPENDS "${QLM_WINEPREFIX}/.qlm-ready")
