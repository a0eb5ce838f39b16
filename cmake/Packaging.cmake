# The Debian packages, made with `cpack -G DEB` in a release build folder:
#
#   qm6admcm       the libraries with their string and branding libraries,
#                  the qm6 tool, the console and its sample store: what an
#                  administrator installs with apt-get install ./qm6admcm_*.deb
#   qm6admcm-dev   the headers, the CMake package and the pkg-config file
#
# The libraries' dependencies are read from the built files by dpkg-shlibdeps,
# so the package names the Debian packages (and the versions) the build
# really linked against; what is loaded at run time without being linked is
# added by name: Qt's platform plugins (the window system, or offscreen
# without one) and the fonts the layouts were measured with.

include_guard(GLOBAL)

set(CPACK_PACKAGE_NAME qm6admcm)
set(CPACK_PACKAGE_VENDOR "Quillmeter")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Quillmeter 6 shared component library, administrator's tool and console")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL runtime development)
set(CPACK_COMPONENT_DEVELOPMENT_DEPENDS runtime)

set(CPACK_DEBIAN_PACKAGE_MAINTAINER "qm6admcm developers <qm6admcm@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_ENABLE_COMPONENT_DEPENDS ON)

set(CPACK_DEBIAN_RUNTIME_PACKAGE_NAME qm6admcm)
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SHLIBDEPS ON)
# dpkg-shlibdeps looks for the package's own libraries here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_BINARY_DIR}/_CPack_Packages/Linux/DEB/${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-Linux/runtime/usr/${QM6_INSTALL_PRIVATE_DIR})
set(CPACK_DEBIAN_RUNTIME_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_RECOMMENDS "fonts-liberation2, fonts-dejavu-core")
set(CPACK_DEBIAN_RUNTIME_PACKAGE_SUGGESTS "qt6-translations-l10n")
set(CPACK_DEBIAN_RUNTIME_DESCRIPTION
    "Quillmeter 6 shared component library, administrator's tool and console
 The editors of printer profile rules and the common services that the
 Quillmeter 6 console and its sibling applications share, with their
 string and branding libraries; the qm6 tool (registry, security, texts,
 branding) and the qm6console host over a bundled sample store.")

set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_NAME qm6admcm-dev)
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_DEPENDS "qt6-base-dev")
set(CPACK_DEBIAN_DEVELOPMENT_PACKAGE_RECOMMENDS "pkg-config, cmake")
set(CPACK_DEBIAN_DEVELOPMENT_DESCRIPTION
    "Quillmeter 6 shared component library: files for host programs
 The headers, the CMake package (find_package(qm6admcm)) and the pkg-config
 file for programs that place the library's editors on their windows.")

include(CPack)
