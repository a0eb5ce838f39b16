# The installed layout, for a host program built against the library and for
# the Debian package:
#
#   bin/qm6, bin/qm6console                  the tool and the console
#   lib/qm6admcm/lib*.so*                    the shared libraries, in a folder of
#                                            their own, so that the walk up from
#                                            the library's folder finds
#   lib/qm6admcm/lang/<locale id>/*.dll      the string libraries and
#   lib/qm6admcm/common/qmmark.dll           the branding library beside them
#   include/qm6admcm/...                     the headers a host needs, with the
#                                            paths they have in the sources
#   lib/cmake/qm6admcm/                      the CMake package
#   lib/pkgconfig/qm6admcm.pc                the pkg-config file
#   share/qm6data/sample.qm6db               the console's sample store
#
# Programs and libraries find the private folder through their RUNPATH
# ($ORIGIN relative, so the tree can move); a host built with the CMake
# package gets it from CMake, one built with pkg-config from the .pc file.
#
#   qm6_install_library(<target> <export name>)   a shared library of the package
#   qm6_install_program(<target>)                 a program in bin/
#   qm6_public_headers(<header>...)               headers a host includes (relative
#                                                 to the current source folder);
#                                                 what they include goes with them
#   qm6_install_resource(<file> <folder>)         a resource library into the
#                                                 private folder's <folder>
#   qm6_finish_install()                          headers, package and .pc file

include_guard(GLOBAL)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(QM6_INSTALL_PRIVATE_DIR ${CMAKE_INSTALL_LIBDIR}/qm6admcm)
set(QM6_INSTALL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/qm6admcm)
set(QM6_INSTALL_CMAKE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/qm6admcm)
set(QM6_INSTALL_SAMPLE_DIR ${CMAKE_INSTALL_DATADIR}/qm6data)

function(qm6_install_library target export_name)
    set_target_properties(${target} PROPERTIES
        VERSION ${PROJECT_VERSION}
        SOVERSION ${PROJECT_VERSION_MAJOR}
        EXPORT_NAME ${export_name}
        INSTALL_RPATH "$ORIGIN")
    install(TARGETS ${target} EXPORT qm6admcmTargets
            LIBRARY DESTINATION ${QM6_INSTALL_PRIVATE_DIR} COMPONENT runtime
                    NAMELINK_COMPONENT development
            INCLUDES DESTINATION ${QM6_INSTALL_INCLUDE_DIR})
    set_property(GLOBAL APPEND PROPERTY QM6_INSTALLED_LIBRARIES ${target})
endfunction()

function(qm6_install_program target)
    file(RELATIVE_PATH to_private /${CMAKE_INSTALL_BINDIR} /${QM6_INSTALL_PRIVATE_DIR})
    set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${to_private}")
    install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT runtime)
endfunction()

function(qm6_public_headers)
    foreach (header IN LISTS ARGN)
        get_filename_component(path "${header}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        _qm6_root_of("${path}" entry)
        set_property(GLOBAL APPEND PROPERTY QM6_PUBLIC_HEADERS "${entry}")
    endforeach ()
endfunction()

function(qm6_install_resource file folder)
    install(FILES ${file} DESTINATION ${QM6_INSTALL_PRIVATE_DIR}/${folder} COMPONENT runtime)
endfunction()

# The include folders of the sources, the most specific first: headers are
# included as "platform/vb/Variant.h" (below src/) or "qm6data/..." (below
# the top folder).
set(QM6_INCLUDE_ROOTS ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR})

# Sets <out> to "root|path below it" for the file <path>.
function(_qm6_root_of path out)
    foreach (root IN LISTS QM6_INCLUDE_ROOTS)
        cmake_path(IS_PREFIX root "${path}" NORMALIZE inside)
        if (inside)
            file(RELATIVE_PATH relative "${root}" "${path}")
            set(${out} "${root}|${relative}" PARENT_SCOPE)
            return()
        endif ()
    endforeach ()
    message(FATAL_ERROR "qm6_public_headers: ${path} is in no include folder of the library")
endfunction()

# Finds <header> (a path as written in a quoted #include) beside <from> (the
# including header's folder) or under the include folders; sets <out> to
# "root|path below it", or empty when none has it.
function(_qm6_locate_header header from out)
    set(${out} "" PARENT_SCOPE)
    foreach (candidate "${from}/${header}" ${QM6_INCLUDE_ROOTS})
        if (NOT candidate STREQUAL "${from}/${header}")
            set(candidate "${candidate}/${header}")
        endif ()
        cmake_path(NORMAL_PATH candidate)
        if (EXISTS "${candidate}" AND NOT IS_DIRECTORY "${candidate}")
            _qm6_root_of("${candidate}" entry)
            set(${out} "${entry}" PARENT_SCOPE)
            return()
        endif ()
    endforeach ()
endfunction()

# The public headers and everything they include through quoted includes,
# installed with their paths below the include folder. A header that a
# public one includes is needed to compile the host, so it goes too; nothing
# else does.
function(_qm6_install_header_closure)
    get_property(pending GLOBAL PROPERTY QM6_PUBLIC_HEADERS)
    set(done)
    while (pending)
        list(POP_FRONT pending entry)
        if ("${entry}" IN_LIST done)
            continue()
        endif ()
        list(APPEND done "${entry}")
        string(REPLACE "|" ";" parts "${entry}")
        list(GET parts 0 root)
        list(GET parts 1 header)
        if (NOT EXISTS "${root}/${header}")
            message(FATAL_ERROR "qm6_public_headers: no ${root}/${header}")
        endif ()
        set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${root}/${header}")
        get_filename_component(folder "${header}" DIRECTORY)
        install(FILES "${root}/${header}" DESTINATION ${QM6_INSTALL_INCLUDE_DIR}/${folder}
                COMPONENT development)
        file(STRINGS "${root}/${header}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
        foreach (line IN LISTS includes)
            string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*" "\\1" included "${line}")
            get_filename_component(beside "${root}/${header}" DIRECTORY)
            _qm6_locate_header("${included}" "${beside}" found)
            if (found)
                list(APPEND pending "${found}")
            else ()
                message(FATAL_ERROR "${root}/${header} includes \"${included}\", "
                                    "which no include folder of the library holds")
            endif ()
        endforeach ()
    endwhile ()
endfunction()

function(qm6_finish_install)
    _qm6_install_header_closure()

    install(EXPORT qm6admcmTargets NAMESPACE qm6admcm:: DESTINATION ${QM6_INSTALL_CMAKE_DIR}
            FILE qm6admcmTargets.cmake COMPONENT development)
    configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/qm6admcmConfig.cmake.in
        ${CMAKE_BINARY_DIR}/install/qm6admcmConfig.cmake INSTALL_DESTINATION ${QM6_INSTALL_CMAKE_DIR})
    write_basic_package_version_file(${CMAKE_BINARY_DIR}/install/qm6admcmConfigVersion.cmake
        VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
    install(FILES ${CMAKE_BINARY_DIR}/install/qm6admcmConfig.cmake
                  ${CMAKE_BINARY_DIR}/install/qm6admcmConfigVersion.cmake
            DESTINATION ${QM6_INSTALL_CMAKE_DIR} COMPONENT development)

    # The .pc file names its folders relative to its own, so that the
    # installed tree may move.
    get_property(libraries GLOBAL PROPERTY QM6_INSTALLED_LIBRARIES)
    file(RELATIVE_PATH QM6_PC_TO_PREFIX /${CMAKE_INSTALL_LIBDIR}/pkgconfig /)
    string(REGEX REPLACE "/$" "" QM6_PC_TO_PREFIX "${QM6_PC_TO_PREFIX}")
    set(QM6_PC_LIBS)
    foreach (library IN LISTS libraries)
        string(APPEND QM6_PC_LIBS " -l${library}")
    endforeach ()
    configure_file(${PROJECT_SOURCE_DIR}/cmake/qm6admcm.pc.in ${CMAKE_BINARY_DIR}/install/qm6admcm.pc
                   @ONLY)
    install(FILES ${CMAKE_BINARY_DIR}/install/qm6admcm.pc
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig COMPONENT development)
endfunction()
