# Installation: one relocatable program folder PREFIX/lib/trasvelo with the
# executables and the files they look for beside themselves (the level table,
# the help file, and the host's Velmora.ini once written); the commands in
# PREFIX/bin as relative links into it; a desktop entry and its icon.
# The program finds its folder through /proc/self/exe, which resolves the
# links, so the folder may be moved anywhere as a whole.
set(TRASVELO_CARPETA_PROGRAMA lib/trasvelo)

set(programas trasvelo-lote)
if(TRASVELO_WITH_QT)
  list(PREPEND programas trasvelo)
endif()
install(TARGETS ${programas} RUNTIME DESTINATION ${TRASVELO_CARPETA_PROGRAMA})
install(FILES ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/NIVELLARI.dbf ${TRASVELO_CHM}
        DESTINATION ${TRASVELO_CARPETA_PROGRAMA})

# The links are made in the build tree and installed as links.
set(enlaces ${CMAKE_BINARY_DIR}/enlaces)
file(MAKE_DIRECTORY ${enlaces})
foreach(programa IN LISTS programas)
  file(CREATE_LINK ../${TRASVELO_CARPETA_PROGRAMA}/${programa} ${enlaces}/${programa} SYMBOLIC)
  install(FILES ${enlaces}/${programa} DESTINATION bin)
endforeach()

if(TRASVELO_WITH_QT)
  install(FILES ${CMAKE_SOURCE_DIR}/data/escritorio/trasvelo.desktop
          DESTINATION share/applications)
  install(FILES ${CMAKE_SOURCE_DIR}/data/escritorio/trasvelo.svg
          DESTINATION share/icons/hicolor/scalable/apps)
endif()

# The Debian package: cpack -G DEB.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trasvelo)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Proyecto Trasvelo")
set(CPACK_PACKAGE_CONTACT "Proyecto Trasvelo <trasvelo@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Datos de horario entre Racima y Velmora")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Trasvelo lleva los datos de un documento XML de Racima a las tablas dBase
de trabajo del programa de horarios Velmora, y el horario resuelto por
Velmora de vuelta a un documento XML para Racima. Incluye la orden sin
ventana trasvelo-lote y su ayuda (RACIMA.chm).")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The shared libraries the executables need, as dpkg-shlibdeps (dpkg-dev)
# finds them; without it, the list of a Debian 12 system.
find_program(TRASVELO_DPKG_SHLIBDEPS dpkg-shlibdeps)
if(TRASVELO_DPKG_SHLIBDEPS)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
else()
  set(CPACK_DEBIAN_PACKAGE_DEPENDS
      "libc6 (>= 2.34), libstdc++6 (>= 12), libgcc-s1 (>= 3.0), libxml2 (>= 2.9.14), libchm1")
  if(TRASVELO_WITH_QT)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS
           ", libqt6widgets6 (>= 6.4), libqt6gui6 (>= 6.4), libqt6core6 (>= 6.4), libxcb1")
  endif()
endif()
include(CPack)
