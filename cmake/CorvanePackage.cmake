# A Debian package of what cmake/CorvaneInstall.cmake installs, under /usr:
#   cd build && cpack        (scripts/package.sh does it all)
# The desktop entry, the log-file type and the icon are picked up by the
# system's own triggers (desktop-file-utils, shared-mime-info, the icon cache),
# so the package needs no scripts of its own.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VENDOR "Corvane")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Companion program for personal air-sampling pumps")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

# Packaged from Corvane's own sources as Debian revision 1, so the Debian
# changelog is changelog.Debian.gz (dist/changelog names the same version).
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # corvane_VERSION-1_ARCH.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Corvane developers <corvane@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The summary above is the first line; CPack indents these lines and marks
# the empty one as a paragraph break.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Corvane talks to one battery-powered air-sampling pump over a serial port
(RS-232, 57600 8N1, usually through a USB-serial adapter): it shows the pump
live, sends it a setup, programs a sampling run, sets its clock, downloads
its history logs and erases its memory.

Also installs corvane-cli, which decodes captured pump traces and log files,
and corvane-pumpsim, a simulated pump on a pseudo-terminal.")
# dpkg-shlibdeps adds every library the programs and the window's modules are
# linked against, with the versions they need: libc6, libstdc++6, libqt6core6,
# libqt6gui6 (which also holds the X11 platform plugin), libqt6widgets6,
# libqt6serialport6, and the modules' libqt6charts6 and libqt6printsupport6.
# Named here are the platform plugins, which it cannot see, and print support
# as before.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins (>= 6.4), libqt6printsupport6 (>= 6.4)")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "shared-mime-info, hicolor-icon-theme")

include(CPack)
