# What `cmake --install` puts under the prefix, in the GNUInstallDirs places, and the
# Debian packages CPack makes of it: "programas" (the programs and what a desktop needs)
# and "desarrollo" (the engine as a CMake package).
include(CMakePackageConfigHelpers)

set(quelmar_dist ${PROJECT_SOURCE_DIR}/dist)
set(quelmar_datos ${CMAKE_INSTALL_DATADIR}/quelmar)

# An install never stops half-way: before its first file, each component checks that what
# it takes from the build is there (a build folder configured by scripts/quelmar.sh has only
# the window built), and otherwise writes nothing and says what to run.
function(quelmar_comprobar_compilado componente)
  set(ficheros)
  foreach(f IN LISTS ARGN)
    string(APPEND ficheros " \"${f}\"")
  endforeach()
  install(CODE "set(quelmar_faltan)
    foreach(f${ficheros})
      if(NOT EXISTS \"\${f}\")
        string(APPEND quelmar_faltan \"\n  \${f}\")
      endif()
    endforeach()
    if(quelmar_faltan)
      message(FATAL_ERROR \"No se ha instalado nada: faltan ficheros que hace la compilación:\${quelmar_faltan}\nCompile antes lo que falta y vuelva a instalar:\n  cmake --build ${PROJECT_BINARY_DIR}\")
    endif()" COMPONENT ${componente})
endfunction()
set(quelmar_compilados ${PROJECT_BINARY_DIR}/changelog.gz)
foreach(pagina tarificador quelmar orbelle quelmar-costes)
  list(APPEND quelmar_compilados ${PROJECT_BINARY_DIR}/man/${pagina}.1.gz)
endforeach()
foreach(programa tarificador quelmar orbelle quelmar-costes)
  if(TARGET ${programa})
    list(APPEND quelmar_compilados $<TARGET_FILE:${programa}>)
  endif()
endforeach()
if(TARGET importar_muestra)
  list(APPEND quelmar_compilados ${PROJECT_BINARY_DIR}/muestra/Tarifas.Dat)
endif()
quelmar_comprobar_compilado(programas ${quelmar_compilados})
quelmar_comprobar_compilado(desarrollo $<TARGET_FILE:quelmar_engine> ${PROJECT_BINARY_DIR}/changelog.gz)

# Programs.
foreach(programa tarificador quelmar orbelle quelmar-costes)
  if(TARGET ${programa})
    install(TARGETS ${programa} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT programas)
    # A stripped install (cpack, cmake --install --strip) strips as Debian's dh_strip does:
    # also the .comment and .note sections the compiler leaves.
    install(CODE "if(CMAKE_INSTALL_DO_STRIP)
        execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
          \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:${programa}>\"
          COMMAND_ERROR_IS_FATAL ANY)
      endif()" COMPONENT programas)
  endif()
endforeach()

# The sample catalogue, made from the CSV apart from build/bin/Tarifas.Dat, which is the
# user's own once edited. Installed in a folder of its own, ejemplo/: with the prefix
# ~/.local, share/quelmar is the user's data folder, and a sample there would be the user's
# catalogue, replaced by every reinstall. An old layout's share/quelmar/Tarifas.Dat is left
# alone: in ~/.local it is that user's catalogue.
if(TARGET importar_muestra)
  set(quelmar_muestra ${PROJECT_BINARY_DIR}/muestra/Tarifas.Dat)
  add_custom_command(OUTPUT ${quelmar_muestra}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/muestra
    COMMAND importar_muestra ${PROJECT_SOURCE_DIR}/data/tarifas.csv ${quelmar_muestra}
    DEPENDS importar_muestra ${PROJECT_SOURCE_DIR}/data/tarifas.csv
    COMMENT "Catálogo de ejemplo para instalar"
    VERBATIM)
  add_custom_target(catalogo_instalable ALL DEPENDS ${quelmar_muestra})
  install(FILES ${quelmar_muestra} DESTINATION ${quelmar_datos}/ejemplo COMPONENT programas)
endif()

# The sample call log, bono registry and holidays, which the man pages' examples use.
install(FILES ${PROJECT_SOURCE_DIR}/data/llamadas.csv ${PROJECT_SOURCE_DIR}/data/bonos.json
              ${PROJECT_SOURCE_DIR}/data/festivos.txt
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/quelmar/ejemplos COMPONENT programas)

# Man pages, compressed as Debian wants them.
find_program(QUELMAR_GZIP gzip REQUIRED)
set(quelmar_manuales)
# tarificador's page is written from its template with the table of formats.
set(quelmar_pagina_tarificador ${PROJECT_BINARY_DIR}/man/tarificador.1)
if(TARGET manual_formatos)
  add_custom_command(OUTPUT ${quelmar_pagina_tarificador}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND manual_formatos ${quelmar_dist}/man/tarificador.1.in ${quelmar_pagina_tarificador}
    DEPENDS manual_formatos ${quelmar_dist}/man/tarificador.1.in)
endif()
foreach(pagina tarificador quelmar orbelle quelmar-costes)
  set(salida ${PROJECT_BINARY_DIR}/man/${pagina}.1.gz)
  set(fuente ${quelmar_dist}/man/${pagina}.1)
  if(pagina STREQUAL tarificador)
    set(fuente ${quelmar_pagina_tarificador})
  endif()
  add_custom_command(OUTPUT ${salida}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
    COMMAND ${QUELMAR_GZIP} -n -9 -c ${fuente} > ${salida}
    DEPENDS ${fuente})
  list(APPEND quelmar_manuales ${salida})
endforeach()
add_custom_target(manuales ALL DEPENDS ${quelmar_manuales})
install(FILES ${quelmar_manuales} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT programas)

# Desktop entries, icons, AppStream metadata; Orbelle's autostart entry is only installed:
# a user turns it on by copying it to ~/.config/autostart.
if(QUELMAR_GUI)
  install(FILES ${quelmar_dist}/quelmar.desktop ${quelmar_dist}/orbelle.desktop
                ${quelmar_dist}/quelmar-costes.desktop
          DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT programas)
  install(FILES ${quelmar_dist}/icons/quelmar.svg ${quelmar_dist}/icons/orbelle.svg
                ${quelmar_dist}/icons/quelmar-costes.svg
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps COMPONENT programas)
  install(FILES ${quelmar_dist}/es.quelmar.quelmar.metainfo.xml
                ${quelmar_dist}/es.quelmar.orbelle.metainfo.xml
                ${quelmar_dist}/es.quelmar.costes.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT programas)
  install(FILES ${quelmar_dist}/orbelle-autostart.desktop DESTINATION ${quelmar_datos}/autostart
          RENAME orbelle.desktop COMPONENT programas)
endif()

# Debian's copyright and changelog files, one set per package.
set(quelmar_registro ${PROJECT_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${quelmar_registro}
  COMMAND ${QUELMAR_GZIP} -n -9 -c ${quelmar_dist}/changelog > ${quelmar_registro}
  DEPENDS ${quelmar_dist}/changelog)
add_custom_target(registro_de_cambios ALL DEPENDS ${quelmar_registro})
foreach(componente_paquete programas:quelmar desarrollo:quelmar-dev)
  string(REPLACE ":" ";" par ${componente_paquete})
  list(GET par 0 componente)
  list(GET par 1 paquete)
  install(FILES ${quelmar_dist}/copyright ${quelmar_registro}
          DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${paquete} COMPONENT ${componente})
endforeach()

# The engine: library, public headers (the paths consumers include, "costing/cLlamada.h")
# and the CMake package Quelmar with the target Quelmar::engine.
set(quelmar_cmake_dir ${CMAKE_INSTALL_LIBDIR}/cmake/Quelmar)
install(TARGETS quelmar_engine EXPORT QuelmarTargets
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT desarrollo)
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-debug --remove-section=.comment
      --remove-section=.note --enable-deterministic-archives
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/$<TARGET_FILE_NAME:quelmar_engine>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()" COMPONENT desarrollo)
foreach(capa runtime catalogue time periods bono costing)
  install(DIRECTORY ${PROJECT_SOURCE_DIR}/src/${capa}/
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/quelmar/${capa}
          COMPONENT desarrollo FILES_MATCHING PATTERN "*.h")
endforeach()
install(EXPORT QuelmarTargets NAMESPACE Quelmar:: DESTINATION ${quelmar_cmake_dir}
        COMPONENT desarrollo)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/QuelmarConfig.cmake.in
                              ${PROJECT_BINARY_DIR}/QuelmarConfig.cmake
                              INSTALL_DESTINATION ${quelmar_cmake_dir})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/QuelmarConfigVersion.cmake
                                 COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/QuelmarConfig.cmake
              ${PROJECT_BINARY_DIR}/QuelmarConfigVersion.cmake
        DESTINATION ${quelmar_cmake_dir} COMPONENT desarrollo)

# Debian packages: cpack -G DEB in the build folder.
set(CPACK_PACKAGE_NAME quelmar)
set(CPACK_PACKAGE_VENDOR "Equipo de Quelmar")
set(CPACK_PACKAGE_CONTACT "Equipo de Quelmar <quelmar@quelmar.es>")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programas desarrollo)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quelmar.es/")
set(CPACK_DEBIAN_PROGRAMAS_PACKAGE_NAME quelmar)
set(CPACK_DEBIAN_PROGRAMAS_PACKAGE_SECTION utils)
# Beyond the libraries the binaries link: Qt's platform plugins to open a window at all,
# and Qt's own Spanish texts ("Aceptar"), a dependency since every text must be Spanish,
# also after an install without recommends.
set(CPACK_DEBIAN_PROGRAMAS_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
# First line the synopsis, then the long description. The summary left at CPack's default
# keeps CPack from putting one summary in front of both packages' own.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${CMAKE_PROJECT_NAME} built using CMake")
set(CPACK_DEBIAN_PROGRAMAS_DESCRIPTION
    "editor de tarifas telefónicas, costeo de llamadas y calendario
Quelmar edita el catálogo de tarifas telefónicas por franjas horarias
(Tarifas.Dat); tarificador cuesta registros de llamadas con ese catálogo,
gastando el tiempo de los bonos, y lo pasa a CSV y desde CSV; Costes de
llamadas (quelmar-costes) muestra ese costeo en una ventana; Orbelle es un
pequeño calendario con reloj para la esquina de la pantalla.")
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_NAME quelmar-dev)
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_SECTION libdevel)
# A static C++20 library: building against it needs the C++ standard library's headers.
set(CPACK_DEBIAN_DESARROLLO_PACKAGE_DEPENDS "libstdc++-12-dev | libstdc++-dev")
set(CPACK_DEBIAN_DESARROLLO_DESCRIPTION
    "motor de costeo de Quelmar como paquete de CMake
La biblioteca estática del motor de tarifas de Quelmar (catálogo, tiempos,
periodos de facturación, bonos y costeo de llamadas), sus cabeceras y el
paquete de CMake: find_package(Quelmar CONFIG) y Quelmar::engine.")
include(CPack)
