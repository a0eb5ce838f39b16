# qm6_add_resource_dll(<target> <rc file> <output path> <arch> [DEPENDS <file>...])
#
# Builds a resource-only DLL (a PE image holding nothing but the resources of
# one .rc file) with the MinGW-w64 binutils, as the string and branding
# libraries are built: windres compiles the .rc file into a COFF object, and
# ld links it into a DLL without code or entry point.
#
#   <target>       name of the custom target that builds the DLL (built by ALL)
#   <rc file>      the .rc file, relative to the current source folder; it may be
#                  UTF-8 with "#pragma code_page(65001)". Files it names (bitmaps,
#                  icons, data) and headers it includes are looked up beside it.
#   <output path>  the DLL to write, relative to the current build folder
#   <arch>         x86_64 (also x64, 64) for a PE32+ image, i686 (also x86, 32)
#                  for a PE32 image
#   DEPENDS        files the .rc file names (bitmaps, icons, data files), so that
#                  a change to them rebuilds the DLL. Headers the .rc file
#                  includes are tracked by themselves through a depfile.
#
# Needs the Debian packages binutils-mingw-w64-x86-64 and binutils-mingw-w64-i686.
# windres runs the C preprocessor as "cpp -xc", because the GCC driver would
# not treat a .rc file as C.

include_guard(GLOBAL)
include(${CMAKE_CURRENT_LIST_DIR}/Install.cmake)

function(qm6_add_resource_dll target rc_file output_path arch)
    cmake_parse_arguments(PARSE_ARGV 4 RES "" "" "DEPENDS")
    if (RES_UNPARSED_ARGUMENTS)
        message(FATAL_ERROR "qm6_add_resource_dll: unexpected arguments ${RES_UNPARSED_ARGUMENTS}")
    endif ()

    if (arch MATCHES "^(x86_64|x64|amd64|64)$")
        set(triple x86_64-w64-mingw32)
        set(tool_var X86_64)
    elseif (arch MATCHES "^(i686|i386|x86|32)$")
        set(triple i686-w64-mingw32)
        set(tool_var I686)
    else ()
        message(FATAL_ERROR "qm6_add_resource_dll: unknown architecture '${arch}' "
                            "(use x86_64 or i686)")
    endif ()

    find_program(QM6_WINDRES_${tool_var} NAMES ${triple}-windres REQUIRED)
    find_program(QM6_LD_${tool_var} NAMES ${triple}-ld REQUIRED)
    find_program(QM6_RC_CPP NAMES cpp REQUIRED)
    set(windres ${QM6_WINDRES_${tool_var}})
    set(linker ${QM6_LD_${tool_var}})

    get_filename_component(rc_abs "${rc_file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    get_filename_component(rc_dir "${rc_abs}" DIRECTORY)
    get_filename_component(out_abs "${output_path}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_BINARY_DIR}")
    get_filename_component(out_dir "${out_abs}" DIRECTORY)
    set(depends)
    foreach (file IN LISTS RES_DEPENDS)
        get_filename_component(file_abs "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
        list(APPEND depends "${file_abs}")
    endforeach ()

    set(object "${CMAKE_CURRENT_BINARY_DIR}/${target}.res.o")
    set(depfile "${CMAKE_CURRENT_BINARY_DIR}/${target}.res.d")

    add_custom_command(
        OUTPUT "${out_abs}"
        BYPRODUCTS "${object}"
        COMMAND ${CMAKE_COMMAND} -E make_directory "${out_dir}"
        COMMAND ${windres}
                --preprocessor=${QM6_RC_CPP} --preprocessor-arg=-xc
                --preprocessor-arg=-MMD --preprocessor-arg=-MF --preprocessor-arg=${depfile}
                --preprocessor-arg=-MT --preprocessor-arg=${out_abs}
                --include-dir=${rc_dir} -i ${rc_abs} -o ${object}
        # No entry point and no timestamp: the DLL holds only resources and
        # is the same bytes on every build.
        COMMAND ${linker} --dll -e 0 -s --no-insert-timestamp -o ${out_abs} ${object}
        MAIN_DEPENDENCY "${rc_abs}"
        DEPENDS ${depends}
        DEPFILE "${depfile}"
        WORKING_DIRECTORY "${rc_dir}"
        COMMENT "Building resource library ${output_path} (${triple})"
        VERBATIM)
    add_custom_target(${target} ALL DEPENDS "${out_abs}")
endfunction()

# qm6_add_string_libraries(<module> <folder>)
#
# The string libraries of a module, one per locale: each <folder>/<locale
# id>.rc (relative to the current source folder; a new file is a new locale)
# becomes lang/<locale id>/<module>LangRes.dll in the build folder, where the
# walk up from build/bin finds it, and is installed into the private library
# folder's lang/<locale id>. The target <module>_lang builds them all.
function(qm6_add_string_libraries module folder)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${folder}/*.rc)
    set(targets)
    foreach (source ${sources})
        get_filename_component(lcid ${source} NAME_WE)
        qm6_add_resource_dll(${module}_lang_${lcid} ${folder}/${lcid}.rc
                             ${CMAKE_BINARY_DIR}/lang/${lcid}/${module}LangRes.dll x86_64)
        list(APPEND targets ${module}_lang_${lcid})
        qm6_install_resource(${CMAKE_BINARY_DIR}/lang/${lcid}/${module}LangRes.dll lang/${lcid})
    endforeach ()
    add_custom_target(${module}_lang DEPENDS ${targets})
endfunction()
