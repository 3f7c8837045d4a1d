# What the Debian package installs, and the package itself: `make package`.

# The build runs the program and the icon tool. A sanitized build must not fail there on what the
# toolkit still holds at exit.
set(RUN_BUILT ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0)

# The icon theme gets the program's own drawing, and pictures of it at the common sizes.
add_executable(corvina-icon EXCLUDE_FROM_ALL tools/icon.cpp)
target_link_libraries(corvina-icon PRIVATE corvina_app)
set(ICON_SIZES 48 256)
set(ICON_FILES)
foreach(size ${ICON_SIZES})
    set(folder ${CMAKE_BINARY_DIR}/icons/${size}x${size})
    set(png ${folder}/corvina.png)
    add_custom_command(OUTPUT ${png}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
                       COMMAND ${RUN_BUILT} $<TARGET_FILE:corvina-icon> ${size} ${png}
                       DEPENDS corvina-icon ${CMAKE_CURRENT_SOURCE_DIR}/resources/icons/corvina.svg
                       VERBATIM)
    list(APPEND ICON_FILES ${png})
endforeach()

# The manual page is the program's own --help. It runs as "corvina" from the PATH, so that the
# page shows the name a user types.
find_program(HELP2MAN help2man REQUIRED)
find_program(GZIP gzip REQUIRED)
set(MANUAL ${CMAKE_BINARY_DIR}/man/corvina.1)
add_custom_command(OUTPUT ${MANUAL}.gz
                   COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                   COMMAND ${RUN_BUILT} "PATH=$<TARGET_FILE_DIR:corvina>:$ENV{PATH}"
                           ${HELP2MAN} --no-info --section=1 --version-string=${PROJECT_VERSION}
                           "--name=catalogue of files, source-code snippets and web sites"
                           --output=${MANUAL} corvina
                   COMMAND ${GZIP} -9nf ${MANUAL}
                   DEPENDS corvina
                   VERBATIM)
# Made in the package's build folder; a development build makes them only when asked by name.
if(CORVINA_PACKAGE_BUILD)
    set(DESKTOP_FILES_IN_ALL ALL)
endif()
add_custom_target(corvina-desktop-files ${DESKTOP_FILES_IN_ALL} DEPENDS ${ICON_FILES} ${MANUAL}.gz)

include(GNUInstallDirs)
install(TARGETS corvina RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/corvina.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/icons/corvina.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size ${ICON_SIZES})
    install(FILES ${CMAKE_BINARY_DIR}/icons/${size}x${size}/corvina.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES resources/schema.sql DESTINATION ${CMAKE_INSTALL_DATADIR}/corvina)
install(FILES ${MANUAL}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

execute_process(COMMAND dpkg --print-architecture OUTPUT_VARIABLE DEB_ARCHITECTURE
                OUTPUT_STRIP_TRAILING_WHITESPACE)
set(DEB_FILE corvina_${PROJECT_VERSION}_${DEB_ARCHITECTURE}.deb)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvina)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Corvina developers")
set(CPACK_PACKAGE_CONTACT "Corvina developers <dev@corvina.example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "catalogue of files, source-code snippets and web sites")
# The package's long description, in lines as `apt show` prints them.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "Corvina keeps a catalogue of the files on your disks (description, group,"
       "source web site, author, path), a notebook of source-code snippets and a"
       "directory of web sites, behind user accounts, with an event log, printed"
       "reports, a calculator and a calendar. All data lives in one database file.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME ${DEB_FILE})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${DEB_ARCHITECTURE})
set(CPACK_DEBIAN_PACKAGE_SECTION database)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://corvina.example.org")
# The libraries the program links are found by dpkg-shlibdeps; these are what it loads or
# shows without linking: the database driver, and the faces the printed reports are laid out in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, fonts-liberation2")
# Web and mail addresses open through the desktop; a plain face for the windows.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, fonts-dejavu-core")
include(CPack)

# The package's contents, checked wherever `make package` has built it; the suite skips the
# check until then.
add_test(NAME package COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/tests/package.sh
                              ${CMAKE_BINARY_DIR}/${DEB_FILE} ${CMAKE_CURRENT_SOURCE_DIR})
set_tests_properties(package PROPERTIES SKIP_RETURN_CODE 77)
