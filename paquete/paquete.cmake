# The files the program reads live in the build tree as they will be
# installed, under share/ beside the program's folder: the program finds its
# help pages the same way built and installed.

set(NCC_SHARE ${CMAKE_BINARY_DIR}/share)

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
