# Installs Corvane as a desktop program: the three programs in bin/ (and the
# window's chart and printing modules in lib/<multiarch>/corvane/), a menu
# entry that opens log files, the log-file type, the icon, and for a Linux
# package the manual pages, the copyright file and the changelog.
# `cmake --install build --prefix P`, or the .deb that CPack makes
# (cmake/CorvanePackage.cmake).
include(GNUInstallDirs)

install(TARGETS corvane corvane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The Sampling Runs chart's and printing's modules, loaded by the window on
# first use (src/app/CMakeLists.txt says where the window looks for them).
install(TARGETS corvane_runschart corvane_printing
        LIBRARY DESTINATION ${CORVANE_MODULE_INSTALL_DIR})
if(TARGET corvane-pumpsim)
    install(TARGETS corvane-pumpsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

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

# What a Linux package adds; gzip and help2man run through a POSIX shell, so a
# Windows build leaves all of it out.
if(CMAKE_HOST_UNIX AND CMAKE_SYSTEM_NAME STREQUAL "Linux")
    # The Debian copyright file and changelog (gzip -9n: no name or time stamp,
    # so the same sources give the same bytes).
    install(FILES ${CORVANE_DIST}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)
    set(CORVANE_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/dist/changelog.Debian.gz)
    add_custom_command(
        OUTPUT ${CORVANE_CHANGELOG_GZ}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/dist
        COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh ${CORVANE_DIST}/changelog ${CORVANE_CHANGELOG_GZ}
        DEPENDS ${CORVANE_DIST}/changelog
        VERBATIM)
    add_custom_target(corvane_changelog ALL DEPENDS ${CORVANE_CHANGELOG_GZ})
    install(FILES ${CORVANE_CHANGELOG_GZ} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/corvane)

    # Manual pages written by help2man from each program's --help, at build time.
    # Sanitizer and fuzz builds skip them: they are never installed from there.
    find_program(CORVANE_HELP2MAN help2man)
    if(CORVANE_HELP2MAN AND NOT CORVANE_SANITIZE AND NOT CORVANE_FUZZ)
        set(CORVANE_MAN_PAGES)
        foreach(entry
                "corvane|watch, set up, program and download a personal air-sampling pump"
                "corvane-cli|Corvane's pump commands and log-file tools for the shell"
                "corvane-pumpsim|a simulated air-sampling pump on a pseudo-terminal")
            string(REPLACE "|" ";" entry "${entry}")
            list(GET entry 0 program)
            list(GET entry 1 summary)
            set(page ${CMAKE_BINARY_DIR}/man/${program}.1)
            # dist/PROGRAM.h2m adds sections --help does not give (FILES).
            set(extra)
            set(extra_file)
            if(EXISTS ${CORVANE_DIST}/${program}.h2m)
                set(extra_file ${CORVANE_DIST}/${program}.h2m)
                set(extra --include=${extra_file})
            endif()
            add_custom_command(
                OUTPUT ${page}.gz
                COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                # Run by its name, so the usage line says "corvane-cli", not the
                # build path; --help needs no display (it is answered before any
                # window), and --version-string spares asking for --version.
                COMMAND sh -c "PATH=\"$1:$PATH\"; shift; QT_QPA_PLATFORM=offscreen exec \"$@\"" sh
                        $<TARGET_FILE_DIR:${program}> ${CORVANE_HELP2MAN} --no-info
                        --no-discard-stderr --version-string=${PROJECT_VERSION}
                        --name=${summary} --section=1 ${extra} --output=${page} ${program}
                COMMAND gzip -9nf ${page}
                DEPENDS ${program} ${extra_file}
                VERBATIM)
            list(APPEND CORVANE_MAN_PAGES ${page}.gz)
        endforeach()
        add_custom_target(corvane_man ALL DEPENDS ${CORVANE_MAN_PAGES})
        install(FILES ${CORVANE_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    elseif(NOT CORVANE_SANITIZE AND NOT CORVANE_FUZZ)
        message(STATUS "help2man not found: no manual pages (scripts/install-deps.sh installs it)")
    endif()

    # lintian's overrides: only tags that cannot apply to a package kept outside
    # the Debian archive.
    install(FILES ${CORVANE_DIST}/lintian-overrides
            DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME corvane)
endif()
