# cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DWORK_DIR=... -DCXX=... [-DCXX_FLAGS=...]
#       [-DLAUNCHER=...] -DGENERATOR=... -P InstallTest.cmake
#
# Installs BUILD_DIR into WORK_DIR/prefix, builds examples/host against the
# installed files twice (CMake package, pkg-config) and runs what was
# installed. Each failed check is reported; the script fails at the end if
# any did.

cmake_minimum_required(VERSION 3.25)

set(failures 0)
# check(<message> <condition>...): reports <message> unless the condition holds.
function(check message)
    if (NOT (${ARGN}))
        message(SEND_ERROR "${message}")
        math(EXPR n "${failures} + 1")
        set(failures ${n} PARENT_SCOPE)
    endif ()
endfunction()

# Runs a command, stops the test when it fails; its output in <out>.
function(run out)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE output ERROR_VARIABLE error)
    if (NOT code EQUAL 0)
        string(REPLACE ";" " " command "${ARGN}")
        message(FATAL_ERROR "${command}\nexited with ${code}:\n${output}\n${error}")
    endif ()
    set(${out} "${output}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
file(REAL_PATH ${WORK_DIR} WORK_DIR)
set(prefix ${WORK_DIR}/prefix)
set(private ${prefix}/lib/qm6admcm)
run(ignored ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# What the programs and a host need is in place.
foreach (file bin/qm6 bin/qm6console
              lib/qm6admcm/libqm6admcm.so.6 lib/qm6admcm/libqm6forms.so.6
              lib/qm6admcm/libqm6contract.so.6 lib/qm6admcm/libqm6platform.so.6
              lib/qm6admcm/libqm6data.so.6 lib/qm6admcm/libqm6admcm.so
              lib/qm6admcm/lang/1033/qm6admcmLangRes.dll lib/qm6admcm/lang/1031/qm6admcmLangRes.dll
              lib/qm6admcm/lang/1033/qm6consoleLangRes.dll lib/qm6admcm/common/qmmark.dll
              share/qm6data/sample.qm6db lib/pkgconfig/qm6admcm.pc
              lib/cmake/qm6admcm/qm6admcmConfig.cmake
              include/qm6admcm/editors/joboptions/ctlJobOptions.h
              include/qm6admcm/qm6data/SqliteConnection.h)
    check("not installed: ${file}" EXISTS ${prefix}/${file})
endforeach ()

# The headers are the ones a host compiles against and no more: each quoted
# include of an installed header is installed too, and no header that only
# the library's own sources or tests use came along.
file(GLOB_RECURSE headers RELATIVE ${prefix}/include/qm6admcm ${prefix}/include/qm6admcm/*)
foreach (header IN LISTS headers)
    check("a header of the library's inside was installed: ${header}"
          NOT header MATCHES "testing/|ScriptedHost|QtSupport|GridImpl|\\.cpp$")
    get_filename_component(folder ${header} DIRECTORY)
    file(STRINGS ${prefix}/include/qm6admcm/${header} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach (line IN LISTS includes)
        string(REGEX REPLACE "^[^\"]*\"([^\"]+)\".*" "\\1" included "${line}")
        if (NOT EXISTS ${prefix}/include/qm6admcm/${included}
            AND NOT EXISTS ${prefix}/include/qm6admcm/${folder}/${included})
            check("${header} includes \"${included}\", which is not installed" FALSE)
        endif ()
    endforeach ()
endforeach ()

# The installed programs and the host load the installed libraries, each of
# them, never the build folder's.
function(check_loads_installed program)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_TRACE_LOADED_OBJECTS=1 ${program}
                    OUTPUT_VARIABLE loaded ERROR_VARIABLE loaded)
    string(REGEX MATCHALL "libqm6[a-z]+\\.so\\.6 => [^ ]+" ours "${loaded}")
    check("${program} does not load libqm6admcm:\n${loaded}" loaded MATCHES "libqm6admcm\\.so\\.6 =>")
    foreach (library IN LISTS ours)
        string(REGEX REPLACE ".* => " "" path "${library}")
        file(REAL_PATH "${path}" path)
        get_filename_component(folder "${path}" DIRECTORY)
        check("${program} loads ${path}, not the installed library" folder STREQUAL private)
    endforeach ()
    set(failures ${failures} PARENT_SCOPE)
endfunction()

# The host, built with the CMake package and with pkg-config.
set(launcher)
if (LAUNCHER)
    set(launcher -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif ()
run(ignored ${CMAKE_COMMAND} -S ${SOURCE_DIR}/examples/host -B ${WORK_DIR}/cmake -G ${GENERATOR}
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_CXX_COMPILER=${CXX} "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}"
    ${launcher})
run(ignored ${CMAKE_COMMAND} --build ${WORK_DIR}/cmake)

set(ENV{PKG_CONFIG_PATH} ${prefix}/lib/pkgconfig)
run(pc_flags pkg-config --cflags --libs qm6admcm)
separate_arguments(pc_flags UNIX_COMMAND "${pc_flags}")
separate_arguments(extra UNIX_COMMAND "${CXX_FLAGS}")
file(MAKE_DIRECTORY ${WORK_DIR}/pkg-config)
run(ignored ${LAUNCHER} ${CXX} -std=c++20 -fPIC ${extra} ${SOURCE_DIR}/examples/host/main.cpp
    ${pc_flags} -o ${WORK_DIR}/pkg-config/qm6host)

# Every run starts from a copy of the installed sample store, sees no
# display and no folder set for the library, and keeps its registry and user
# data inside the work folder.
set(ENV{QT_QPA_PLATFORM} offscreen)
unset(ENV{QM6_MODULE_DIR})
unset(ENV{DISPLAY})
unset(ENV{WAYLAND_DISPLAY})
unset(ENV{LC_ALL})
set(ENV{QM6_REGISTRY_DIR} ${WORK_DIR}/registry)
set(ENV{XDG_DATA_HOME} ${WORK_DIR}/data)

# The host in the user's language: the texts come from the installed string
# library of that locale; the values it saved are the ones read back.
foreach (build cmake pkg-config)
    set(host ${WORK_DIR}/${build}/qm6host)
    check_loads_installed(${host})
    foreach (case "en_US.UTF-8|Color: | Require double-sided (duplex) printing" "de_DE.UTF-8|Farbe:")
        string(REPLACE "|" ";" case "${case}")
        list(GET case 0 locale)
        list(GET case 1 texts)
        set(ENV{LANG} ${locale})
        set(store ${WORK_DIR}/${build}-${locale}.qm6db)
        set(png ${WORK_DIR}/${build}-${locale}.png)
        file(COPY_FILE ${prefix}/share/qm6data/sample.qm6db ${store})
        run(output ${host} ${store} 2 --check ${png})
        message(STATUS "${build}, ${locale}:\n${output}")
        string(REGEX REPLACE ".*lang folder: ([^\n]*).*" "\\1" lang "${output}")
        file(REAL_PATH "${lang}" lang)
        check("${build} host, ${locale}: ${lang} is not the installed lang folder"
              lang STREQUAL "${private}/lang")
        string(FIND "${output}" "texts: ${texts}" found)
        check("${build} host, ${locale}: texts are not \"${texts}\"" NOT found EQUAL -1)
        # The host itself fails when what it read back differs.
        check("${build} host, ${locale}: saved nothing"
              output MATCHES "saved: color=[0-9]+ duplex=[01] nup=[01]\n  restricted=1 fields=[0-9]")
        file(READ ${png} signature LIMIT 8 HEX)
        file(SIZE ${png} size)
        check("${build} host, ${locale}: the window was not rendered to ${png}"
              signature STREQUAL "89504e470d0a1a0a" AND size GREATER 2000)
    endforeach ()
endforeach ()

# The installed tool and console, from the installed files only.
set(ENV{LANG} en_US.UTF-8)
check_loads_installed(${prefix}/bin/qm6)
check_loads_installed(${prefix}/bin/qm6console)
run(text ${prefix}/bin/qm6 lang 402)
check("qm6 lang 402 answered \"${text}\"" text STREQUAL "Color:\n")
run(output ${prefix}/bin/qm6console --pages ${WORK_DIR}/pages)
file(GLOB pages ${WORK_DIR}/pages/*.png)
list(LENGTH pages rendered)
check("the installed console rendered ${rendered} page(s):\n${output}" rendered GREATER 3)
check("the installed console did not open a working copy of the installed sample:\n${output}"
      output MATCHES "database ${WORK_DIR}/data/quillmeter6/console.qm6db")

if (failures GREATER 0)
    message(FATAL_ERROR "${failures} check(s) failed")
endif ()
