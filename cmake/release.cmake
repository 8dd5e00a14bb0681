# Makes the two release archives: the program for a real printer port, and the
# program on the simulated board for people who want to try it first. Each holds
# tamberlo.exe, README.md and LICENSE. Run by the "release" target of the sim build.
foreach(var SOURCE_DIR SIM_EXE OUT_DIR)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "release.cmake needs -D${var}=...")
  endif()
endforeach()

execute_process(COMMAND ${CMAKE_COMMAND} --preset hw WORKING_DIRECTORY ${SOURCE_DIR}
                OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${CMAKE_COMMAND} --build --preset hw --target tamberlo
                WORKING_DIRECTORY ${SOURCE_DIR} OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)

function(make_archive name exe)
  set(stage ${OUT_DIR}/${name})
  file(REMOVE_RECURSE ${stage} ${OUT_DIR}/${name}.zip)
  file(MAKE_DIRECTORY ${stage})
  file(COPY ${exe} ${SOURCE_DIR}/README.md ${SOURCE_DIR}/LICENSE DESTINATION ${stage})
  execute_process(COMMAND zip -q -r -X ${name}.zip ${name} WORKING_DIRECTORY ${OUT_DIR}
                  COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${stage})
  message(STATUS "release: ${OUT_DIR}/${name}.zip")
endfunction()

make_archive(tamberlo-1.0.0.1-windows ${SOURCE_DIR}/build/hw/tamberlo.exe)
make_archive(tamberlo-1.0.0.1-simulated-board ${SIM_EXE})
