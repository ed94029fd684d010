# Install rules shared by the programs: velmora_install_program() puts a program into bin/ with
# a man page made from the program's own --help and --version, so the page cannot drift from the
# program. The man pages and the icons rendered from the SVG need help2man and rsvg-convert
# (Debian: help2man, librsvg2-bin); without them, or in a sanitizer or fuzz tree, which is never
# packaged, VELMORA_PACKAGE_FILES is off and no package can be made from the tree.
include(GNUInstallDirs)

find_program(VELMORA_HELP2MAN help2man)
find_program(VELMORA_RSVG_CONVERT rsvg-convert)
find_program(VELMORA_GZIP gzip)
set(velmora_package_files_default OFF)
if(VELMORA_HELP2MAN AND VELMORA_RSVG_CONVERT AND VELMORA_GZIP AND NOT VELMORA_SANITIZE
   AND NOT VELMORA_FUZZ AND NOT CMAKE_CROSSCOMPILING)
    set(velmora_package_files_default ON)
endif()
option(VELMORA_PACKAGE_FILES
       "Make the man pages and rendered icons that a package holds (needs help2man, rsvg-convert)"
       ${velmora_package_files_default})
if(VELMORA_PACKAGE_FILES)
    foreach(tool VELMORA_HELP2MAN VELMORA_RSVG_CONVERT VELMORA_GZIP)
        if(NOT ${tool})
            message(FATAL_ERROR "VELMORA_PACKAGE_FILES needs help2man, rsvg-convert and gzip: "
                                "./scripts/install-deps.sh help2man librsvg2-bin")
        endif()
    endforeach()
endif()

# Directories the install step creates are 0755 whatever the umask of the one who builds, since
# the package takes the permissions of the tree it is packed from.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

# velmora_install_program(<target>)
# Installs the program and its man page in section 1. Sections that --help cannot carry (NAME,
# the longer DESCRIPTION, FILES, EXIT STATUS, EXAMPLES, SEE ALSO) come from <target>.h2m beside
# the calling CMakeLists.txt when there is one (see help2man(1), INCLUDE FILES).
function(velmora_install_program target)
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(NOT VELMORA_PACKAGE_FILES)
        return()
    endif()
    set(page ${CMAKE_BINARY_DIR}/man/${target}.1)
    set(include_file ${CMAKE_CURRENT_SOURCE_DIR}/${target}.h2m)
    set(include_option)
    if(EXISTS ${include_file})
        set(include_option --include=${include_file})
    else()
        set(include_file)
    endif()
    # No display is needed: each program answers --help and --version before it makes any
    # window. gzip -n keeps the build time out of the file.
    add_custom_command(OUTPUT ${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY LC_ALL=C.UTF-8
                ${VELMORA_HELP2MAN} --no-info --no-discard-stderr --section=1 ${include_option}
                --output=${page} $<TARGET_FILE:${target}>
        COMMAND ${VELMORA_GZIP} -9nf ${page}
        DEPENDS ${target} ${include_file}
        COMMENT "Writing the man page of ${target} from its --help"
        VERBATIM)
    add_custom_target(${target}-man ALL DEPENDS ${page}.gz)
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endfunction()
