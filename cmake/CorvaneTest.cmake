# corvane_add_test(NAME source... [GUI] [LIBS layer...] [LABELS label...])
# builds one test program against the libraries (never recompiling their
# sources) and registers it with CTest. LIBS names the lowest layer libraries
# the test needs, so a layer that reaches up to a higher one fails to link;
# without it the test links the whole engine (every layer below the window).
# GUI links the window, plus any LIBS named (corvane_testsupport for the fake
# port). LABELS lets a run pick tests out or leave them out, e.g.
# `ctest -LE pty` where no pseudo-terminal can be opened.
function(corvane_add_test name)
    cmake_parse_arguments(ARG "GUI" "" "LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_UNPARSED_ARGUMENTS})
    if(ARG_GUI)
        # Print Support for the printers window tests make themselves.
        target_link_libraries(${name} PRIVATE corvane_ui ${ARG_LIBS} Qt6::PrintSupport Qt6::Test)
    elseif(ARG_LIBS)
        target_link_libraries(${name} PRIVATE ${ARG_LIBS} Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE corvane_engine Qt6::Test)
    endif()
    target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR}/tests)
    add_test(NAME ${name} COMMAND ${name})
    # Downloads a test runs are archived in the build tree, never in the
    # archive of the user running the tests; the window's chart module is
    # taken from the build tree.
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;CORVANE_ARCHIVE=${CMAKE_CURRENT_BINARY_DIR}/${name}-archive.sqlite;CORVANE_MODULE_DIR=$<TARGET_FILE_DIR:corvane_runschart>"
        TIMEOUT 300)
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
    # Tests that open pseudo-terminals run one at a time: a terminal number
    # freed by one is soon taken by the next, and a test that follows a
    # device by name must not find another test's terminal under it.
    if("pty" IN_LIST ARG_LABELS)
        set_tests_properties(${name} PROPERTIES RESOURCE_LOCK pty)
    endif()
endfunction()
