# Installs the built library into a scratch prefix and builds and runs a small
# host project that finds it with find_package(Zalvo CONFIG REQUIRED).
include(${CMAKE_CURRENT_LIST_DIR}/Run.cmake)
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)
run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix} --config ${CONFIG})
package_options(options Zalvo ${prefix})
build_and_run_consumer(${CONSUMER_DIR} ${WORK_DIR}/build "${options}" ${prefix}/bin)
