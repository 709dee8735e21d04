# add_qt_test(name [GUI] SOURCES ... LIBS ...): one QTest executable run by
# CTest, headless on the offscreen platform and with a fixed locale, so that
# no test depends on a display or on the machine's language; the machine's
# shared folder for journals and the user's state folder are the build's. GUI: the test
# makes windows (it has an application object that takes -platform).
function(add_qt_test name)
    cmake_parse_arguments(ARG "GUI" "" "SOURCES;LIBS" ${ARGN})
    qt_add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        TEST_DATA_DIR="${PROJECT_SOURCE_DIR}/tests/data")
    # Under Wine a test's log does not reach the terminal, so it goes to a
    # file that scripts/windows.sh shows; and Wine passes no QT_ variable to
    # the program, so the platform is named on the command line.
    if(CMAKE_CROSSCOMPILING)
        set(platform "")
        if(ARG_GUI)
            set(platform -platform offscreen)
        endif()
        add_test(NAME ${name} COMMAND ${name} ${platform} -o ${name}.log,txt -o -,txt)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    set_tests_properties(${name} PROPERTIES
        TIMEOUT 120
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;TZ=UTC;COMMONSERVER_EDITOR_JOURNALS=${CMAKE_BINARY_DIR}/tests/journals;XDG_STATE_HOME=${CMAKE_BINARY_DIR}/tests/state")
endfunction()
