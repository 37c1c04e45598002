# What `cmake --install` puts where, and the Debian package CPack makes of it (`make package`).
# The game finds the share folder from its own executable (src/platform/GameFolders.cpp), so
# every prefix works, chosen at configure or at install time.

install(TARGETS brumevoltigeante RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# "bot" is too common a name for a command of the whole system.
install(PROGRAMS $<TARGET_FILE:bot> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME brumevoltigeante-bot)

# What the game reads, and nothing a developer's own runs leave in data/ (its options file).
install(DIRECTORY ${CMAKE_SOURCE_DIR}/data/donnees ${CMAKE_SOURCE_DIR}/data/maps
        DESTINATION ${BV_DATA_DIR})
install(FILES "${CMAKE_SOURCE_DIR}/data/liste des maps.list"
              "${CMAKE_SOURCE_DIR}/data/liste des textures.list" DESTINATION ${BV_DATA_DIR})

install(FILES ${CMAKE_SOURCE_DIR}/dist/brumevoltigeante.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The icon is the teleporter texture under the reticle, both from data/donnees.
install(FILES ${CMAKE_SOURCE_DIR}/dist/brumevoltigeante.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps)
install(FILES ${CMAKE_SOURCE_DIR}/dist/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Manual pages and the changelog go compressed, without a time stamp (same bytes each build).
set(BV_GZIPPED "")
foreach(file man/brumevoltigeante.6 man/brumevoltigeante-serveur.6 man/brumevoltigeante-bot.6
        changelog)
  set(out ${CMAKE_BINARY_DIR}/dist/${file}.gz)
  get_filename_component(outDir ${out} DIRECTORY)
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${outDir}
    COMMAND gzip -9nc ${CMAKE_SOURCE_DIR}/dist/${file} > ${out}
    DEPENDS ${CMAKE_SOURCE_DIR}/dist/${file})
  list(APPEND BV_GZIPPED ${out})
endforeach()
add_custom_target(dist_files ALL DEPENDS ${BV_GZIPPED})
if(TARGET e2e_tests)
  add_dependencies(e2e_tests dist_files) # one of them installs the game
endif()
install(DIRECTORY ${CMAKE_BINARY_DIR}/dist/man/ DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_BINARY_DIR}/dist/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME brumevoltigeante)
set(CPACK_PACKAGE_VERSION 4.0.0)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "LAN first-person shooter for up to eight players")
# The summary is the first line of the control file's description; this is the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Brumevoltigeante 4 - Multijoueur is a first-person shooter for a local
network: one host and up to seven players over TCP, started from a French
text console and played in an OpenGL window. It ships four maps, a
dedicated server that needs no display, and a headless bot.")
set(BV_MAINTAINER "Brumevoltigeante developers <brumevoltigeante@lists.invalid>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${BV_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# dpkg-shlibdeps names the library packages from what the executables link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A GL driver: the software renderer at least, where no GPU driver is installed.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
