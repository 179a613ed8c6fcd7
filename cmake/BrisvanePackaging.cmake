# Packages: one for the app (the program, its daemon and its desktop files) and one for the
# virtual Mac, each as a .deb and a .tar.gz. `cpack --config build/CPackConfig.cmake` writes
# them into build/packages/.

# Every package carries its copyright and changelog, as Debian wants, and a manual page for
# each program on the PATH; compressed without a time stamp, so that two builds give the same
# bytes.
set(BRISVANE_DOC_BUILD_DIR "${CMAKE_BINARY_DIR}/share/doc")
set(BRISVANE_MAN_BUILD_DIR "${CMAKE_BINARY_DIR}/share/man/man1")
set(compressed_docs "")
function(brisvane_compress source output)
  add_custom_command(OUTPUT "${output}"
    COMMAND sh -c "mkdir -p \"$(dirname \"$1\")\" && gzip -9nc \"$0\" > \"$1\"" "${source}" "${output}"
    DEPENDS "${source}"
    VERBATIM)
  set(compressed_docs ${compressed_docs} "${output}" PARENT_SCOPE)
endfunction()
brisvane_compress("${PROJECT_SOURCE_DIR}/share/doc/changelog" "${BRISVANE_DOC_BUILD_DIR}/changelog.gz")
foreach(page Brisvane brisvane-sim brisvane-vsmc)
  brisvane_compress("${PROJECT_SOURCE_DIR}/share/man/${page}.1" "${BRISVANE_MAN_BUILD_DIR}/${page}.1.gz")
endforeach()
add_custom_target(brisvane_docs ALL DEPENDS ${compressed_docs})

if(NOT APPLE)
  foreach(package_component brisvane:app brisvane-virtual-mac:virtual-mac)
    string(REPLACE ":" ";" pair "${package_component}")
    list(GET pair 0 package)
    list(GET pair 1 component)
    if(component STREQUAL "app")
      set(default_install "")
    else()
      set(default_install EXCLUDE_FROM_ALL)
    endif()
    install(FILES "${PROJECT_SOURCE_DIR}/share/doc/copyright" "${BRISVANE_DOC_BUILD_DIR}/changelog.gz"
      DESTINATION "share/doc/${package}" COMPONENT ${component} ${default_install})
  endforeach()
  install(FILES "${BRISVANE_MAN_BUILD_DIR}/Brisvane.1.gz" DESTINATION share/man/man1 COMPONENT app)
  install(FILES "${BRISVANE_MAN_BUILD_DIR}/brisvane-sim.1.gz" "${BRISVANE_MAN_BUILD_DIR}/brisvane-vsmc.1.gz"
    DESTINATION share/man/man1 COMPONENT virtual-mac EXCLUDE_FROM_ALL)
endif()

set(CPACK_PACKAGE_NAME brisvane)
set(CPACK_PACKAGE_VENDOR "The Brisvane developers")
set(CPACK_PACKAGE_CONTACT "Brisvane developers <brisvane@example.org>")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB TGZ)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL app virtual-mac)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)

# A package's description: its synopsis on the first line, then the extended description.
set(CPACK_COMPONENT_APP_DISPLAY_NAME "Brisvane")
set(CPACK_COMPONENT_APP_DESCRIPTION
  "Fan control for Macs with Apple silicon
The menu-bar app shows the CPU and GPU die temperatures and every fan's
speed, and drives the fans by temperature curves grouped into presets.
Its root daemon, BrisvaneHelper, is the only program that writes to the
System Management Controller, never below a temperature safety floor.")
set(CPACK_COMPONENT_VIRTUAL-MAC_DISPLAY_NAME "Brisvane virtual Mac")
set(CPACK_COMPONENT_VIRTUAL-MAC_DESCRIPTION
  "Virtual Mac for trying Brisvane without a Mac
brisvane-vsmc plays a Mac's System Management Controller, with fans,
sensors and firmware quirks, and brisvane-sim sets up a sandbox system
root with stand-ins for launchctl and osascript, so that Brisvane and its
daemon run end to end on any machine.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SOURCE brisvane)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_APP_PACKAGE_NAME brisvane)
set(CPACK_DEBIAN_APP_PACKAGE_SUGGESTS brisvane-virtual-mac)
# The QML modules and the platform plugins Qt loads at run time are no libraries shlibdeps
# can see.
set(CPACK_DEBIAN_APP_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qml6-module-qtqml, qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-window, qml6-module-qtquick-templates, qml6-module-qtquick-shapes, qml6-module-qtqml-workerscript")
set(CPACK_DEBIAN_VIRTUAL-MAC_PACKAGE_NAME brisvane-virtual-mac)
set(CPACK_DEBIAN_VIRTUAL-MAC_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_VIRTUAL-MAC_PACKAGE_ENHANCES brisvane)

include(CPack)
