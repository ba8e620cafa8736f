# The Debian package (tools/package): cpack -G DEB over the install rules. Depends come from the
# program's shared libraries (dpkg-shlibdeps); the fonts and the sound font it loads by name are
# added by hand.
include(GNUInstallDirs)
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/exambell)
install(FILES ${PROJECT_SOURCE_DIR}/data/debian/copyright DESTINATION ${_doc})
# Debian wants the changelog and the manual page compressed with gzip -9n, which CMake cannot do
# itself.
set(_gzipped)
foreach(f changelog.Debian exambell.1)
    add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${f}.gz
        COMMAND gzip -9n -c ${PROJECT_SOURCE_DIR}/data/debian/${f} > ${CMAKE_BINARY_DIR}/${f}.gz
        DEPENDS ${PROJECT_SOURCE_DIR}/data/debian/${f})
    list(APPEND _gzipped ${CMAKE_BINARY_DIR}/${f}.gz)
endforeach()
add_custom_target(exambell_gzipped_docs ALL DEPENDS ${_gzipped})
install(FILES ${CMAKE_BINARY_DIR}/changelog.Debian.gz DESTINATION ${_doc})
install(FILES ${CMAKE_BINARY_DIR}/exambell.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME exambell)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ExamBell team <exambell@example.org>")
set(CPACK_PACKAGE_VENDOR "ExamBell team")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "exam announcements and seating charts for a school")
# The summary above is the synopsis line; this is the extended description below it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"考铃 (ExamBell) plays the spoken announcements of up to four exams of a day
at their minute for a school's examination office, and draws random seating
charts for named classes, exported to a spreadsheet. Its interface is in
Chinese.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://exambell.example.org/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-noto-cjk | fonts-wqy-microhei, timgm6mb-soundfont, xdg-utils")
# Only an exported seating chart is opened in it: a minimal system need not pull 1.5 GB.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "libreoffice-calc")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
