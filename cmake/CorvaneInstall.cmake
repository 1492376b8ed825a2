# Installs Corvane as a desktop program: the three programs in bin/, a menu
# entry that opens log files, the log-file type, and the icon.
# `cmake --install build --prefix P`, or the .deb that CPack makes
# (cmake/CorvanePackage.cmake).
include(GNUInstallDirs)

install(TARGETS corvane corvane-cli corvane-pumpsim
        RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

set(CORVANE_DIST ${CMAKE_CURRENT_LIST_DIR}/../dist)
install(FILES ${CORVANE_DIST}/corvane.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# *.tlx log files as application/x-corvane-log (*.csv is text/csv already).
install(FILES ${CORVANE_DIST}/corvane-mime.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME corvane.xml)
install(FILES ${CORVANE_DIST}/corvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/../README.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
