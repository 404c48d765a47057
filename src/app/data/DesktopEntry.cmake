# Run by `cmake --install`: writes the desktop entry with the program's installed path in
# its Exec line, for the prefix of this install.
file(READ "${PLOVANE_ENTRY_SOURCE}" entry)
if(IS_ABSOLUTE "${PLOVANE_BINDIR}")
  set(program "${PLOVANE_BINDIR}/plovane")
else()
  set(program "${CMAKE_INSTALL_PREFIX}/${PLOVANE_BINDIR}/plovane")
endif()
# An Exec line would need quoting and escaping for these; a prefix without them is simpler.
string(REGEX MATCH "[] \t\"'`$\\\\;&|<>()*?#~=%[]" awkward "${program}")
if(NOT awkward STREQUAL "")
  message(FATAL_ERROR "The desktop entry cannot name ${program}: choose an install prefix without spaces or shell characters")
endif()
string(REPLACE "Exec=plovane" "Exec=${program}" entry "${entry}")
file(WRITE "${PLOVANE_ENTRY_OUTPUT}" "${entry}")
