# The release packages, made by `cmake --build --preset <preset> --target package`:
#   win32, win64  Tessel-<version>-<preset>.zip: Tessel.exe, tessel.com and 使い方.txt (code
#                 page 932, CR LF), nothing to install;
#   native        tessel-<version>-Linux.tar.gz and tessel_<version>_<arch>.deb: the tessel
#                 command and its man page, made from its --help by help2man.

if(WIN32)
    # The usage text as Windows users read it: code page 932 with CR LF line ends.
    configure_file(${PROJECT_SOURCE_DIR}/packaging/usage-ja.txt.in
                   ${CMAKE_BINARY_DIR}/packaging/usage-ja.utf8.txt @ONLY)
    set(usage ${CMAKE_BINARY_DIR}/packaging/usage-ja.cp932.txt)
    add_custom_command(
        OUTPUT ${usage}
        COMMAND sh -c "iconv -f UTF-8 -t CP932 '${CMAKE_BINARY_DIR}/packaging/usage-ja.utf8.txt' | sed 's/$/\\r/' > '${usage}'"
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/usage-ja.txt.in
        VERBATIM)
    add_custom_target(tessel_usage_text ALL DEPENDS ${usage})

    install(TARGETS Tessel RUNTIME DESTINATION .)
    if(TARGET tessel)
        install(TARGETS tessel RUNTIME DESTINATION .)
    endif()
    install(FILES ${usage} DESTINATION . RENAME "使い方.txt")

    if(CMAKE_SIZEOF_VOID_P EQUAL 4)
        set(CPACK_SYSTEM_NAME win32)
    else()
        set(CPACK_SYSTEM_NAME win64)
    endif()
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_NAME Tessel)
    set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
    find_program(HELP2MAN help2man)
    set(manual ${CMAKE_BINARY_DIR}/packaging/tessel.1)
    if(HELP2MAN)
        add_custom_command(
            OUTPUT ${manual}
            COMMAND ${HELP2MAN} --no-info --no-discard-stderr
                    --name "collect the files of one kind from a folder tree into one folder"
                    --output ${manual} $<TARGET_FILE:tessel>
            DEPENDS tessel
            VERBATIM)
        add_custom_target(tessel_manual ALL DEPENDS ${manual})
        install(FILES ${manual} DESTINATION share/man/man1)
    endif()
    install(TARGETS tessel RUNTIME DESTINATION bin)

    set(CPACK_SYSTEM_NAME ${CMAKE_SYSTEM_NAME}-${CMAKE_SYSTEM_PROCESSOR})
    set(CPACK_GENERATOR TGZ DEB)
    set(CPACK_PACKAGE_NAME tessel)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION utils)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS OFF)
    set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6 (>= 2.34), libstdc++6 (>= 12)")
    # The .deb installs under /usr; the tarball unpacks to bin/ and share/.
    file(WRITE ${CMAKE_BINARY_DIR}/packaging/cpack_options.cmake
         "if(CPACK_GENERATOR STREQUAL \"DEB\")\n  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)\nendif()\n")
    set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/packaging/cpack_options.cmake)
endif()

set(CPACK_STRIP_FILES ON)

set(CPACK_PACKAGE_VENDOR "Tessel")
set(CPACK_PACKAGE_CONTACT "Tessel developers <tessel@tessel.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Collects the files of one kind from a folder tree into one folder")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME ${CPACK_PACKAGE_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME})
set(CPACK_OUTPUT_FILE_PREFIX ${CMAKE_BINARY_DIR}/packages)
include(CPack)
