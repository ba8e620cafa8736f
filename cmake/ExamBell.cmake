# Settings every target of ours carries: the language level, warnings, Qt strictness.
add_library(exambell_options INTERFACE)
target_compile_features(exambell_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(exambell_options INTERFACE -Wall -Wextra -Wpedantic
    $<$<BOOL:${EXAMBELL_WERROR}>:-Werror>
    # GCC 12 at -O2 and above reports std::string's own inlined copies as overlapping
    # (GCC bug 105329); the warning says nothing about our code there.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
target_compile_definitions(exambell_options INTERFACE
    QT_NO_CAST_FROM_ASCII
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_KEYWORDS
    QT_NO_FOREACH
    QT_USE_QSTRINGBUILDER
    QT_DISABLE_DEPRECATED_BEFORE=0x060400)

if(EXAMBELL_SANITIZE)
    set(_san -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_compile_options(exambell_options INTERFACE ${_san})
    target_link_options(exambell_options INTERFACE ${_san})
endif()

# exambell_add_library(name SOURCES ... [PUBLIC_LIBS ...] [PRIVATE_LIBS ...])
# One library per folder; headers are included as "folder/Header.h" from the source root.
function(exambell_add_library name)
    cmake_parse_arguments(L "" "" "SOURCES;PUBLIC_LIBS;PRIVATE_LIBS" ${ARGN})
    add_library(${name} STATIC ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC exambell_options ${L_PUBLIC_LIBS} PRIVATE ${L_PRIVATE_LIBS})
endfunction()

# exambell_add_test(name [GUI] [DBUS] SOURCES ... LIBS ...)
# GUI tests get a main that creates a QApplication on the offscreen platform; the others run
# without one. A build without EXAMBELL_GUI leaves the GUI tests out.
# DBUS tests run on a private session bus of their own (dbus-run-session), also when CTest lists
# their cases.
function(exambell_add_test name)
    cmake_parse_arguments(T "GUI;DBUS" "" "SOURCES;LIBS" ${ARGN})
    if(T_GUI AND NOT EXAMBELL_GUI)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    target_link_libraries(${name} PRIVATE exambell_options exambell_test_support ${T_LIBS} GTest::gmock)
    if(T_GUI)
        target_link_libraries(${name} PRIVATE exambell_test_gui_main)
    else()
        target_link_libraries(${name} PRIVATE exambell_test_main)
    endif()
    if(T_DBUS)
        set_target_properties(${name} PROPERTIES CROSSCOMPILING_EMULATOR "dbus-run-session;--")
    endif()
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 120
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;SDL_AUDIODRIVER=dummy")
endfunction()

# exambell_add_bench(name SOURCES ... LIBS ...): a program that prints its figures.
function(exambell_add_bench name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${B_SOURCES})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
    target_link_libraries(${name} PRIVATE exambell_options ${B_LIBS})
endfunction()

# Refuses a configuration in which a target links one of our libraries that this build does not
# make (a core build without EXAMBELL_GUI has no exambell_ui or exambell_app): the plain name would
# only fail later, at link time, as "-lexambell_ui". Run once every folder has been added.
function(exambell_check_own_links)
    set(dirs ${PROJECT_SOURCE_DIR})
    set(missing)
    while(dirs)
        list(POP_FRONT dirs dir)
        get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
        list(APPEND dirs ${subdirs})
        get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
        foreach(target ${targets})
            get_target_property(type ${target} TYPE)
            if(type STREQUAL "INTERFACE_LIBRARY" OR type STREQUAL "UTILITY")
                continue()
            endif()
            get_target_property(links ${target} LINK_LIBRARIES)
            foreach(link ${links})
                if(link MATCHES "^exambell_" AND NOT TARGET ${link})
                    list(APPEND missing "${target} -> ${link}")
                endif()
            endforeach()
        endforeach()
    endwhile()
    if(missing)
        list(JOIN missing "\n  " shown)
        message(FATAL_ERROR "These targets link libraries this build does not make "
            "(EXAMBELL_GUI=${EXAMBELL_GUI}):\n  ${shown}")
    endif()
endfunction()
