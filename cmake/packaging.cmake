# The Debian package, made by CPack from a Release build (scripts/package.sh does it all):
#   cpack -G DEB   ->  velmora-monitor_<version>_<arch>.deb
# What goes in is what the install() rules of each folder put there. Dependencies come from
# dpkg-shlibdeps on the installed programs, plus the fonts the windows are drawn with.
if(NOT VELMORA_PACKAGE_FILES)
    message(STATUS "No package from this tree: VELMORA_PACKAGE_FILES is off")
    return()
endif()

set(VELMORA_PACKAGE_MAINTAINER
    "Velmora Servo Monitor maintainers <maintainers@velmora-monitor.example>"
    CACHE STRING "Name and address in the package's Maintainer field")

# The metainfo names the release a software centre shows; it must be this one.
set(velmora_metainfo ${PROJECT_SOURCE_DIR}/src/app/io.github.velmora.monitor.metainfo.xml)
file(STRINGS ${velmora_metainfo} velmora_release REGEX "<release " LIMIT_COUNT 1)
if(NOT velmora_release MATCHES "version=\"${PROJECT_VERSION}\"")
    message(FATAL_ERROR "${velmora_metainfo}: the first <release> must be version "
                        "${PROJECT_VERSION}, as in project(); it is: ${velmora_release}")
endif()

# So does the changelog's top entry, the version dpkg is told about.
set(velmora_changelog ${PROJECT_SOURCE_DIR}/packaging/changelog)
file(STRINGS ${velmora_changelog} velmora_entry LIMIT_COUNT 1)
if(NOT velmora_entry MATCHES "^${PROJECT_NAME} \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "${velmora_changelog}: the top entry must be ${PROJECT_NAME} "
                        "(${PROJECT_VERSION}), as in project(); it is: ${velmora_entry}")
endif()

# The version has no Debian revision, so this is a native package: its changelog is
# changelog.gz, compressed without a timestamp.
set(velmora_changelog_gz ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${velmora_changelog_gz}
    COMMAND ${CMAKE_COMMAND} -E copy ${velmora_changelog} ${CMAKE_BINARY_DIR}/packaging/changelog
    COMMAND ${VELMORA_GZIP} -9nf ${CMAKE_BINARY_DIR}/packaging/changelog
    DEPENDS ${velmora_changelog}
    VERBATIM)
add_custom_target(velmora-changelog ALL DEPENDS ${velmora_changelog_gz})

# CPack writes an apostrophe in the long description as "&apos;" into the control file.
file(READ ${PROJECT_SOURCE_DIR}/packaging/description.txt velmora_description)
if(velmora_description MATCHES "'")
    message(FATAL_ERROR "packaging/description.txt: no apostrophes, CPack would mangle them")
endif()

set(velmora_docdir ${CMAKE_INSTALL_DATADIR}/doc/${PROJECT_NAME})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright ${velmora_changelog_gz}
        DESTINATION ${velmora_docdir})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME ${PROJECT_NAME})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${PROJECT_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${VELMORA_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "following error monitor for CNC servo drives")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${PROJECT_SOURCE_DIR}/packaging/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS fonts-liberation)

include(CPack)
