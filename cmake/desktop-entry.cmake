# Run by `cmake --install` and by CPack: writes the desktop entry with trel-start's full path under the
# prefix of this installation (trel_gamesdir, trel_desktop_in and trel_desktop are set before).
cmake_path(ABSOLUTE_PATH trel_gamesdir BASE_DIRECTORY "${CMAKE_INSTALL_PREFIX}" OUTPUT_VARIABLE TREL_INSTALL_FULL_GAMESDIR)
# Exec takes the path in double quotes, a percent sign doubled; these four characters would need escapes.
if(TREL_INSTALL_FULL_GAMESDIR MATCHES [=[[\\"`$]]=])
    message(FATAL_ERROR "The desktop entry cannot name ${TREL_INSTALL_FULL_GAMESDIR}")
endif()
string(REPLACE "%" "%%" TREL_INSTALL_FULL_GAMESDIR "${TREL_INSTALL_FULL_GAMESDIR}")
configure_file(${trel_desktop_in} ${trel_desktop} @ONLY)
