# The Linux package, made by scripts/package.sh with `cpack -G DEB` into build/packages/: trel and trel-start
# in /usr/games, the fresh trel.ini, the manual and the to-do list in /usr/share/trel.

include(GNUInstallDirs)

# Manual pages and the package's documents are compressed without a time stamp, so that the same sources
# give the same bytes.
function(trel_gzip source destination)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_BINARY_DIR}/gz/${destination}/${name}.gz)
    add_custom_command(OUTPUT ${output}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/gz/${destination}
                       COMMAND ${CMAKE_COMMAND} -E copy ${source} ${CMAKE_BINARY_DIR}/gz/${destination}/${name}
                       COMMAND gzip -9nf ${CMAKE_BINARY_DIR}/gz/${destination}/${name}
                       DEPENDS ${source} VERBATIM)
    set_property(GLOBAL APPEND PROPERTY trel_gzipped ${output})
    install(FILES ${output} DESTINATION ${destination})
endfunction()

set(trel_docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/trel)
trel_gzip(${PROJECT_SOURCE_DIR}/dist/trel.6 ${CMAKE_INSTALL_MANDIR}/man6)
trel_gzip(${PROJECT_SOURCE_DIR}/dist/trel-start.6 ${CMAKE_INSTALL_MANDIR}/man6)
trel_gzip(${PROJECT_SOURCE_DIR}/dist/changelog ${trel_docdir})
get_property(trel_gzipped GLOBAL PROPERTY trel_gzipped)
add_custom_target(trel_gzipped_docs ALL DEPENDS ${trel_gzipped})
install(FILES ${PROJECT_SOURCE_DIR}/dist/copyright DESTINATION ${trel_docdir})

# The changelog's newest entry is this release.
file(STRINGS ${PROJECT_SOURCE_DIR}/dist/changelog trel_changelog_head LIMIT_COUNT 1)
if(NOT trel_changelog_head MATCHES "^trel \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "dist/changelog starts with \"${trel_changelog_head}\", not with version ${PROJECT_VERSION}")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Trel team")
set(CPACK_PACKAGE_CONTACT "Trel developers <trel@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "launcher and server-file editor for the Vorn modification of Quake 2")
set(CPACK_PACKAGE_DESCRIPTION
    "Trel chooses the launch options of a Vorn game (game type, start map,\n"
    "limits, the deathmatch flags, dedicated mode, extra console lines) and\n"
    "starts Quake 2 with them. It edits the modification's server files (map\n"
    "details, map cycle, message of the day), keeps an address book of servers\n"
    "with their status and joins one, and walks new players through a\n"
    "quick-start wizard. Quake 2 itself is not included.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_OUTPUT_FILE_PREFIX packages)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The windows are laid out for Liberation Sans Narrow's widths; a wider stand-in cuts the captions.
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)
include(CPack)
