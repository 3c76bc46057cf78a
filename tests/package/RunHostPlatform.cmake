# Builds Zalvo against a host's own logging library and geometry headers, in place of the stand-ins: installs the
# host's library, configures, builds and installs the library from SOURCE_DIR with ZALVO_LOGGING_TARGET and
# ZALVO_ORVEX_INCLUDE_DIR, checks that no stand-in was installed, and runs a host that uses both.
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)
set(host_dir ${CMAKE_CURRENT_LIST_DIR}/host_platform)
file(REMOVE_RECURSE ${WORK_DIR})
set(host_prefix ${WORK_DIR}/host-prefix)
set(zalvo_prefix ${WORK_DIR}/zalvo-prefix)
set(toolchain "")
if(TOOLCHAIN_FILE)
    set(toolchain -DCMAKE_TOOLCHAIN_FILE=${TOOLCHAIN_FILE})
endif()

run("configuring the host's logging library" ${CMAKE_COMMAND} -S ${host_dir}/logging -B ${WORK_DIR}/host-build
    -DCMAKE_BUILD_TYPE=Release ${toolchain})
run("building the host's logging library" ${CMAKE_COMMAND} --build ${WORK_DIR}/host-build)
run("installing the host's logging library" ${CMAKE_COMMAND} --install ${WORK_DIR}/host-build --prefix ${host_prefix})

package_options(host_options HostLogging ${host_prefix})
run("configuring Zalvo against the host's platform" ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${WORK_DIR}/zalvo-build
    -G Ninja -DCMAKE_BUILD_TYPE=Release -DZALVO_BUILD_TESTS=OFF -DZALVO_BUILD_TOOLS=OFF -DZALVO_WARNINGS_AS_ERRORS=ON
    -DZALVO_LOGGING_TARGET=Host::Logging -DZALVO_LOGGING_PACKAGE=HostLogging
    -DZALVO_ORVEX_INCLUDE_DIR=${host_dir}/orvex ${host_options})
run("building Zalvo against the host's platform" ${CMAKE_COMMAND} --build ${WORK_DIR}/zalvo-build)
run("installing Zalvo" ${CMAKE_COMMAND} --install ${WORK_DIR}/zalvo-build --prefix ${zalvo_prefix})

file(GLOB_RECURSE stand_ins ${zalvo_prefix}/*Logging.h ${zalvo_prefix}/*CoordinateBase.h ${zalvo_prefix}/*zalvo-logging*)
if(stand_ins)
    message(FATAL_ERROR "a stand-in was installed beside the host's own: ${stand_ins}")
endif()

package_options(zalvo_options Zalvo ${zalvo_prefix})
build_and_run_consumer(${host_dir}/consumer ${WORK_DIR}/consumer-build "${zalvo_options};${host_options}"
                       "${zalvo_prefix}/bin;${host_prefix}/bin")
