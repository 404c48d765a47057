# plovane_include_root(<target> <folder>)
# A library's public headers are included as "<folder>/Name.h" (folder under src/).
# Each library gets an include root of its own that holds only a link to its folder, so
# code that includes another library's header without linking that library fails to
# build instead of working by accident.
function(plovane_include_root target folder)
  set(root "${CMAKE_BINARY_DIR}/include/${target}")
  set(link "${root}/${folder}")
  get_filename_component(parent "${link}" DIRECTORY)
  file(MAKE_DIRECTORY "${parent}")
  file(REMOVE "${link}")
  file(CREATE_LINK "${PROJECT_SOURCE_DIR}/src/${folder}" "${link}" SYMBOLIC)
  target_include_directories(${target} PUBLIC "${root}")
endfunction()
