# Whole-application tests: they run the real plovane on the test desktop that
# scripts/test-desktop.sh provides (skipped without DISPLAY). They move the keyboard focus
# and the pointer of the shared desktop and bind the fixed knock port, so each runs alone;
# the pictures they take go to e2e-gallery.
# A test that drives the shared desktop: it runs alone, and 77 means it cannot run here.
function(plovane_desktop_test name timeout)
  set_tests_properties(${name} PROPERTIES
    SKIP_RETURN_CODE 77
    RESOURCE_LOCK knock_port_8765
    RUN_SERIAL TRUE
    TIMEOUT ${timeout}
    ENVIRONMENT PLOVANE_E2E_PICTURES=${CMAKE_BINARY_DIR}/e2e-gallery
    LABELS integration)
endfunction()

if(TARGET plovane)
  foreach(script AppEndToEnd AppTermination WindowsEndToEnd AppProcess AppAlerts CharacterPackImport MenuEndToEnd)
    add_test(NAME ${script}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${script}.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR})
    plovane_desktop_test(${script} 420)
  endforeach()

  # The pack import's dialog and alert over the user's editor, in the sessions of the
  # desktops whose variables make Qt choose other dialogs.
  foreach(desktop GNOME KDE XFCE)
    add_test(NAME CharacterPackImport_${desktop}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/CharacterPackImport.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR}
              ${desktop})
    plovane_desktop_test(CharacterPackImport_${desktop} 300)
  endforeach()

  # Our windows against the floating HUD under each stacking window manager we try.
  foreach(wm openbox xfwm4 mutter)
    add_test(NAME WindowStacking_${wm}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/WindowStacking.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR} ${wm})
    plovane_desktop_test(WindowStacking_${wm} 420)
  endforeach()

  # The HUD and our windows as the screen shrinks and monitors go, under each stacking
  # window manager we try; the screen is resized through RandR.
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SCREEN_SIZE_XCB REQUIRED IMPORTED_TARGET xcb xcb-randr)
  add_executable(plovane_screen_size ScreenSize.cpp)
  target_link_libraries(plovane_screen_size PRIVATE PkgConfig::SCREEN_SIZE_XCB)
  plovane_warnings(plovane_screen_size)
  foreach(wm openbox xfwm4)
    add_test(NAME ScreenChanges_${wm}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/ScreenChanges.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR} ${wm}
              $<TARGET_FILE:plovane_screen_size>)
    plovane_desktop_test(ScreenChanges_${wm} 300)
  endforeach()

  # The HUD as window managers replace each other, or one starts after another crashed.
  add_test(NAME WindowManagerReplaced
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/WindowManagerReplaced.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR})
  plovane_desktop_test(WindowManagerReplaced 300)

  # What a test that starts Plovane does when another program holds the knock port.
  add_test(NAME KnockPortTaken
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/KnockPortTaken.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR})
  plovane_desktop_test(KnockPortTaken 120)
  # What the tests' own machinery leaves in /tmp: nothing.
  add_test(NAME TmpLeftovers
    COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/TmpLeftovers.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR})
  plovane_desktop_test(TmpLeftovers 120)

  # The install: no desktop needed, and nothing it installs is shared with a running test.
  add_test(NAME AppInstall COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/AppInstall.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(AppInstall PROPERTIES SKIP_RETURN_CODE 77 TIMEOUT 120 LABELS integration)

  # The status item under each kind of tray host; pictures of its menu go to tray-gallery.
  foreach(script TrayEndToEnd TraySniEndToEnd)
    add_test(NAME ${script}
      COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/${script}.sh $<TARGET_FILE:plovane> ${PROJECT_SOURCE_DIR}
              ${CMAKE_BINARY_DIR}/tray-gallery)
    plovane_desktop_test(${script} 120)
  endforeach()
endif()
