# Installing like a desktop program, and the Debian package made from that install:
# the program, its factory data, a menu entry with its icon, the man page and the udev rule.
include_guard(GLOBAL)

# udev reads /usr/lib/udev/rules.d; a /usr/local install can point this at /etc/udev/rules.d.
set(VELA_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING "Where the udev rule is installed (relative to the prefix)")

install(FILES ${PROJECT_SOURCE_DIR}/packaging/velaupdate.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/velaupdate.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/70-velaupdate.rules DESTINATION ${VELA_UDEV_RULES_DIR})

# The man page comes from the program's own help texts, through help2man.
find_program(HELP2MAN help2man)
if(VELA_SANITIZE)
  # The sanitizer build is for testing; nothing is installed from it.
elseif(HELP2MAN)
  set(man_page ${CMAKE_BINARY_DIR}/man/velaupdate.1.gz)
  add_custom_command(OUTPUT ${man_page}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen
            ${CMAKE_COMMAND} -DVELA=$<TARGET_FILE:velaupdate> -DHELP2MAN=${HELP2MAN} -DVERSION=${PROJECT_VERSION}
            -DOUT=${man_page} -P ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    DEPENDS velaupdate ${PROJECT_SOURCE_DIR}/cmake/man_page.cmake
    COMMENT "Writing the man page from velaupdate --help"
    VERBATIM)
  add_custom_target(man_page ALL DEPENDS ${man_page})
  install(FILES ${man_page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no man page (scripts/install-deps installs it)")
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velaupdate)
set(CPACK_PACKAGE_VENDOR "VELA")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Loads loudspeaker presets and the DSP operating system into the HALDA40")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "VELAupdate puts a loudspeaker model's factory presets and the DSP operating system into the\n"
  "HALDA40 Digital Audio Controller over its FTDI USB-serial bridge, a serial port or its\n"
  "Ethernet module. It also builds preset libraries, designs DSP filters and imports\n"
  "measurements. Every procedure also runs from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "VELAupdate developers")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
include(CPack)
