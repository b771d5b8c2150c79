# Installs the build into a scratch prefix, then configures, builds and runs
# an outside project against it with find_package(Velorin).
file(REMOVE_RECURSE ${WORK_DIR})
set(prefix ${WORK_DIR}/prefix)

execute_process(COMMAND ${CMAKE_COMMAND} --install ${VELORIN_BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "install failed")
endif()
foreach(f velorin/velorin.h velorin/db/imageinfodb.h velorin.pc VelorinConfig.cmake VelorinTargets.cmake
          libvelorin.so.0)
  file(GLOB_RECURSE found ${prefix}/*/${f})
  if(NOT found)
    message(FATAL_ERROR "missing after install: ${f}")
  endif()
endforeach()
file(GLOB_RECURSE private ${prefix}/*_p.h)
if(private)
  message(FATAL_ERROR "private headers installed: ${private}")
endif()

set(flags "")
if(SANITIZE)
  set(flags "-fsanitize=${SANITIZE}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -S ${CONSUMER_SOURCE_DIR} -B ${WORK_DIR}/build
                        -DCMAKE_PREFIX_PATH=${prefix} "-DCMAKE_CXX_FLAGS=${flags}"
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "configuring the consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${WORK_DIR}/build RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "building the consumer failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env HOME=${WORK_DIR}/home XDG_DATA_HOME=${WORK_DIR}/home/data
                        ${WORK_DIR}/build/consumer
                RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "the consumer failed: ${rc}")
endif()
