# Helpers of the package tests, which drive CMake and programs from a script.

# Runs a command and stops the test with its output when it fails; the output is handed back in `output`.
function(run what)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "${what} failed:\n${output}")
    endif()
    set(output "${output}" PARENT_SCOPE)
endfunction()

# Options that point a configure step at the package in `prefix` by naming its folder: a cross toolchain searches its
# own sysroot for packages, not a prefix path, and several packages can be named side by side.
function(package_options out package prefix)
    set(options -D${package}_DIR=${prefix}/lib/cmake/${package})
    if(TOOLCHAIN_FILE)
        list(APPEND options -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
    endif()
    set(${out} ${options} PARENT_SCOPE)
endfunction()

# Builds the consumer project in `source` against `options` and runs it (on Windows through EMULATOR, with `dll_dirs`
# on Wine's search path); it must print "consumer ok".
function(build_and_run_consumer source binary options dll_dirs)
    run("configuring the consumer" ${CMAKE_COMMAND} -S ${source} -B ${binary} -DCMAKE_BUILD_TYPE=Release ${options})
    run("building the consumer" ${CMAKE_COMMAND} --build ${binary})
    if(EMULATOR)
        list(JOIN dll_dirs ";" joined)
        set(ENV{WINEPATH} "${joined};$ENV{WINEPATH}")
    endif()
    run("the consumer" ${EMULATOR} ${binary}/consumer${EXECUTABLE_SUFFIX})
    if(NOT output MATCHES "consumer ok")
        message(FATAL_ERROR "the consumer failed: ${output}")
    endif()
endfunction()
