# cmake -P script: put the library where an outside project finds it, then configure, build
# and run the consumer against it.
#   MODE=install  `cmake --install` into a scratch prefix
#   MODE=deb      `cpack -G DEB`, both packages unpacked into a scratch root with dpkg-deb -x
file(REMOVE_RECURSE ${WORK_DIR})

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT rc EQUAL 0)
        message(FATAL_ERROR "failed (${rc}): ${ARGN}\n${out}\n${err}")
    endif()
endfunction()

# The value of control field `field` of package `deb`, in `var`.
function(control_field var deb field)
    execute_process(COMMAND dpkg-deb -f ${deb} ${field} OUTPUT_VARIABLE value
        OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    set(${var} "${value}" PARENT_SCOPE)
endfunction()

if(MODE STREQUAL "deb")
    set(packages ${WORK_DIR}/packages)
    run(cpack -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${packages})
    file(GLOB runtime_deb ${packages}/tessel_*.deb)
    file(GLOB dev_deb ${packages}/tessel-dev_*.deb)
    if(NOT runtime_deb OR NOT dev_deb)
        message(FATAL_ERROR "cpack did not write both packages into ${packages}")
    endif()
    control_field(runtime_depends ${runtime_deb} Depends)
    control_field(dev_depends ${dev_deb} Depends)
    foreach(dependency libqt6widgets6 libqt6sql6-sqlite libxlsxwriter4)
        if(NOT runtime_depends MATCHES "${dependency}")
            message(FATAL_ERROR "the runtime package does not depend on ${dependency}: ${runtime_depends}")
        endif()
    endforeach()
    if(NOT dev_depends MATCHES "tessel \\(= ")
        message(FATAL_ERROR "the development package does not depend on its runtime: ${dev_depends}")
    endif()
    set(root ${WORK_DIR}/root)
    run(dpkg-deb -x ${runtime_deb} ${root})
    run(dpkg-deb -x ${dev_deb} ${root})
    set(prefix ${root}/usr)
else()
    set(prefix ${WORK_DIR}/prefix)
    run(${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
endif()

foreach(installed bin/tessel bin/tessel-demo include/tessel/clsReport.h share/tessel/sample.sql)
    if(NOT EXISTS ${prefix}/${installed})
        message(FATAL_ERROR "${MODE} did not install ${installed}")
    endif()
endforeach()
run(${CMAKE_COMMAND} -S ${CONSUMER_SRC} -B ${WORK_DIR}/build -G Ninja
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_BUILD_TYPE=RelWithDebInfo
    "-DCMAKE_CXX_FLAGS=${CXX_FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${LINKER_FLAGS}")
run(${CMAKE_COMMAND} --build ${WORK_DIR}/build)
run(${WORK_DIR}/build/tessel_consumer)
message(STATUS "consumer built and ran against ${prefix}")
