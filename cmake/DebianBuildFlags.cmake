# EXAMBELL_DEBIAN_BUILDFLAGS: compile and link with the flags dpkg-buildflags gives a Debian
# package, every hardening feature on (stack protector, _FORTIFY_SOURCE, relro and bindnow; PIE
# is GCC's default here). The program serves a page on the school's network, so the package
# (tools/package) is built this way. CMake reads no CPPFLAGS: they go with the compile flags.
option(EXAMBELL_DEBIAN_BUILDFLAGS "Compile and link with dpkg-buildflags' hardened flags" OFF)
if(EXAMBELL_DEBIAN_BUILDFLAGS)
    find_program(EXAMBELL_DPKG_BUILDFLAGS dpkg-buildflags REQUIRED)
    set(_debian_flags)
    foreach(var CPPFLAGS CFLAGS CXXFLAGS LDFLAGS)
        execute_process(
            COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all
                ${EXAMBELL_DPKG_BUILDFLAGS} --get ${var}
            WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
            OUTPUT_VARIABLE _value OUTPUT_STRIP_TRAILING_WHITESPACE
            COMMAND_ERROR_IS_FATAL ANY)
        set(_debian_${var} "${_value}")
    endforeach()
    string(APPEND CMAKE_C_FLAGS " ${_debian_CFLAGS} ${_debian_CPPFLAGS}")
    string(APPEND CMAKE_CXX_FLAGS " ${_debian_CXXFLAGS} ${_debian_CPPFLAGS}")
    foreach(kind EXE SHARED MODULE)
        string(APPEND CMAKE_${kind}_LINKER_FLAGS " ${_debian_LDFLAGS}")
    endforeach()
    message(STATUS "Debian build flags: ${_debian_CXXFLAGS} ${_debian_CPPFLAGS} | ${_debian_LDFLAGS}")
endif()
