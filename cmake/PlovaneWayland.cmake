# Wayland client bindings generated at build time by wayland-scanner.
#   plovane_wayland_protocol(<target> <protocol xml>)
# compiles the protocol's glue code into <target> and puts its header,
# "<xml name>-client-protocol.h", on the target's private include path.
# WAYLAND_PROTOCOLS_DIR (Debian's wayland-protocols) and PLASMA_WAYLAND_PROTOCOLS_DIR
# (plasma-wayland-protocols) say where the packaged descriptions are.
include_guard(GLOBAL)
enable_language(C)
find_package(PkgConfig REQUIRED)
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET GLOBAL wayland-client)
pkg_get_variable(WAYLAND_SCANNER wayland-scanner wayland_scanner)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_package(PlasmaWaylandProtocols REQUIRED)
if(NOT WAYLAND_SCANNER OR NOT WAYLAND_PROTOCOLS_DIR)
  message(FATAL_ERROR "wayland-scanner and wayland-protocols are needed (Debian: libwayland-dev wayland-protocols)")
endif()

function(plovane_wayland_protocol target xml)
  get_filename_component(name "${xml}" NAME_WE)
  set(dir "${CMAKE_CURRENT_BINARY_DIR}/wayland-protocols")
  set(header "${dir}/${name}-client-protocol.h")
  set(code "${dir}/${name}-protocol.c")
  add_custom_command(OUTPUT "${header}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND "${WAYLAND_SCANNER}" client-header "${xml}" "${header}"
    DEPENDS "${xml}" VERBATIM)
  add_custom_command(OUTPUT "${code}"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${dir}"
    COMMAND "${WAYLAND_SCANNER}" private-code "${xml}" "${code}"
    DEPENDS "${xml}" VERBATIM)
  target_sources(${target} PRIVATE "${header}" "${code}")
  target_include_directories(${target} PRIVATE "${dir}")
endfunction()
