# What `ncc` installs and the Debian package that CPack makes of it
# (scripts/paquete.sh). The files live in the build tree as they will be
# installed, under share/ beside the program's folder: the program finds its
# help pages the same way built and installed.
include(GNUInstallDirs)

set(NCC_SHARE ${CMAKE_BINARY_DIR}/share)
set(NCC_PAQUETE nccierrecurso)

# The windows' help pages, copied afresh so that a page removed from the
# sources is gone from the build too.
file(GLOB NCC_AYUDA CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/ayuda/*.html)
add_custom_command(OUTPUT ${NCC_SHARE}/ncc/ayuda.copiada
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${NCC_SHARE}/ncc/ayuda
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NCC_SHARE}/ncc/ayuda
  COMMAND ${CMAKE_COMMAND} -E copy ${NCC_AYUDA} ${NCC_SHARE}/ncc/ayuda
  COMMAND ${CMAKE_COMMAND} -E touch ${NCC_SHARE}/ncc/ayuda.copiada
  DEPENDS ${NCC_AYUDA}
  VERBATIM)
add_custom_target(ncc_ayuda DEPENDS ${NCC_SHARE}/ncc/ayuda.copiada)
add_dependencies(ncc ncc_ayuda)

# The manual page and the bash completion are written by the built program
# from its usage texts (ncc manual, ncc completado-bash): one source for
# `ncc ORDEN --help` and for them. Compressed without a time stamp, so that
# the same sources give the same package.
set(NCC_MAN ${NCC_SHARE}/man/man1/ncc.1.gz)
set(NCC_COMPLETADO ${NCC_SHARE}/bash-completion/completions/ncc)
set(NCC_CHANGELOG ${NCC_SHARE}/doc/${NCC_PAQUETE}/changelog.gz)
add_custom_command(OUTPUT ${NCC_MAN} ${NCC_COMPLETADO} ${NCC_CHANGELOG}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NCC_SHARE}/man/man1 ${NCC_SHARE}/bash-completion/completions
          ${NCC_SHARE}/doc/${NCC_PAQUETE}
  COMMAND sh -c "\"$1\" manual > \"$2.tmp\" && gzip -9n < \"$2.tmp\" > \"$2\" && rm \"$2.tmp\"" sh $<TARGET_FILE:ncc> ${NCC_MAN}
  COMMAND sh -c "\"$1\" completado-bash > \"$2\"" sh $<TARGET_FILE:ncc> ${NCC_COMPLETADO}
  COMMAND sh -c "gzip -9n < \"$1\" > \"$2\"" sh ${CMAKE_SOURCE_DIR}/paquete/changelog ${NCC_CHANGELOG}
  DEPENDS ncc ${CMAKE_SOURCE_DIR}/paquete/changelog
  VERBATIM)
add_custom_target(ncc_documentos ALL DEPENDS ${NCC_MAN} ${NCC_COMPLETADO} ${NCC_CHANGELOG})

install(TARGETS ncc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${NCC_AYUDA} DESTINATION ${CMAKE_INSTALL_DATADIR}/ncc/ayuda)
install(FILES ${NCC_MAN} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${NCC_COMPLETADO} DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)
install(FILES paquete/${NCC_PAQUETE}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES paquete/${NCC_PAQUETE}.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES paquete/copyright ${NCC_CHANGELOG} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/${NCC_PAQUETE})

# Installing (and so packaging) needs only what it installs, not the tests.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${NCC_PAQUETE})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "cierre de curso escolar de Norva Gestión Escolar")
# CPack puts the summary first and indents the rest.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "El programa ncc cierra el curso escolar de un centro: decide con un asistente
qué alumnos promocionan, repiten o causan baja y qué actividades pasan al
curso siguiente, crea las bases de datos del nuevo curso, guarda las notas
finales en el histórico y escribe el informe del cierre. Trabaja sobre
bases de datos SQLite o un servidor PostgreSQL.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Norva Gestión Escolar <soporte@norva.example>")
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The libraries the program links are found by dpkg-shlibdeps; the plugins
# Qt loads by name at run time (the database drivers, the display) are not
# linked, so they are named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins")
# pg_dump and pg_restore copy a server database that other sessions hold;
# xdg-open opens the closing report.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "postgresql-client, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
