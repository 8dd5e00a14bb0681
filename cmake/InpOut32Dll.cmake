# tamberlo_add_inpout32_dll(TARGET OUTPUT_DIR SOURCES...): a port driver built as
# OUTPUT_DIR/inpout32.dll. InpOut32's calls are exported under their plain names
# (--kill-at drops the @N of __stdcall) and the runtime is linked in, so the DLL needs
# nothing beside it. Its import library stays in the target's own build folder.
function(tamberlo_add_inpout32_dll target output_dir)
  add_library(${target} SHARED ${ARGN})
  target_link_options(${target} PRIVATE
    -Wl,--kill-at -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME inpout32
    PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${output_dir}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target}-lib)
endfunction()
