# The Debian packages, made by CPack's DEB generator (`cpack -G DEB` in a build, or
# `scripts/bootstrap package`):
# - tern-update: both programs, the component runtime, the desktop entry, icons, metainfo,
#   manual pages and bash completion;
# - tern-update-simulator: the simulated bus alone. Without it the installed programs find
#   no component and say so; with it, they name the simulated bus whenever it is in use.
# Dependencies come from dpkg-shlibdeps. CPack indents the description's lines itself.
set(_here ${CMAKE_CURRENT_LIST_DIR})
set(_doc ${PROJECT_BINARY_DIR}/package-doc)
set(TERN_MAINTAINER "Tern Update Program authors <maintainers@tern-update.example.org>")

# Each package's copyright file and compressed changelog, as Debian policy asks.
set(TERN_CHANGELOG_DATE "Wed, 09 Dec 2026 00:00:00 +0000")  # the release's own date
foreach(package tern-update tern-update-simulator)
  set(TERN_PACKAGE ${package})
  configure_file(${_here}/changelog.in ${_doc}/${package}/changelog @ONLY)
  add_custom_command(OUTPUT ${_doc}/${package}/changelog.gz
    COMMAND gzip -9nf -k ${_doc}/${package}/changelog
    DEPENDS ${_here}/changelog.in)
  list(APPEND _doc_files ${_doc}/${package}/changelog.gz)
endforeach()
add_custom_target(package_docs ALL DEPENDS ${_doc_files})
install(FILES ${_here}/copyright ${_doc}/tern-update/changelog.gz
        DESTINATION share/doc/tern-update COMPONENT programs)
install(FILES ${_here}/copyright ${_doc}/tern-update-simulator/changelog.gz
        DESTINATION share/doc/tern-update-simulator COMPONENT simulator EXCLUDE_FROM_ALL)
install(FILES ${_here}/org.ternupdate.TernUpdate.metainfo.xml DESTINATION share/metainfo
        COMPONENT programs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tern-update)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${TERN_MAINTAINER})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The programs ship stripped, their debug information in a package of its own per package
# (tern-update-dbgsym, tern-update-simulator-dbgsym), found by build-id.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL programs simulator)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The runtime library is the package's own, in its private folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${PROJECT_BINARY_DIR}/_CPack_Packages/Linux/DEB/tern-update-${PROJECT_VERSION}-Linux/programs/usr/lib/tern-update)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://tern-update.example.org/")

set(CPACK_DEBIAN_PROGRAMS_PACKAGE_NAME tern-update)
set(CPACK_DEBIAN_PROGRAMS_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_PROGRAMS_DESCRIPTION "firmware installer for the Ostrel audio device
The Tern Update Program installs new firmware into the Ostrel, an audio device
on the FireWire bus: it finds the device, checks the update file and sends it
to the device's firmware port on the file's schedule.
.
This package holds the window program tern-update and the command-line
program tern-flash. They reach the device through the bus driver's device-link
component; for the simulated bus, install tern-update-simulator.")

set(CPACK_DEBIAN_SIMULATOR_PACKAGE_NAME tern-update-simulator)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_SIMULATOR_PACKAGE_DEPENDS "tern-update (= ${PROJECT_VERSION})")
set(CPACK_COMPONENT_SIMULATOR_DESCRIPTION "simulated FireWire bus for the Tern Update Program
A device-link component that simulates the FireWire bus with a virtual Ostrel,
for trying the Tern Update Program without a device. While it is installed,
the programs use it and name it as the simulated bus: nothing they install
reaches a real Ostrel. Remove it before updating a real device.")

include(CPack)
