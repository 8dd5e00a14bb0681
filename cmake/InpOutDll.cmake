# The port driver DLL that the program of this build loads: InpOut32's inpout32.dll
# for the 32-bit build, InpOutx64's inpoutx64.dll for the 64-bit one.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
  set(TAMBERLO_INPOUT_NAME inpoutx64)
  set(TAMBERLO_ARCH x86_64)
else()
  set(TAMBERLO_INPOUT_NAME inpout32)
  set(TAMBERLO_ARCH i686)
endif()
set(TAMBERLO_INPOUT_DLL ${TAMBERLO_INPOUT_NAME}.dll)

# tamberlo_add_inpout_dll(TARGET OUTPUT_DIR SOURCES...): a port driver built as
# OUTPUT_DIR/${TAMBERLO_INPOUT_DLL}. InpOut's calls are exported under their plain names
# (--kill-at drops the @N of 32-bit __stdcall) and the runtime is linked in, so the DLL
# needs nothing beside it. Its import library stays in the target's own build folder.
function(tamberlo_add_inpout_dll target output_dir)
  add_library(${target} SHARED ${ARGN})
  target_link_options(${target} PRIVATE
    -Wl,--kill-at -static -static-libgcc -static-libstdc++ $<$<CONFIG:Release>:-s>)
  set_target_properties(${target} PROPERTIES
    OUTPUT_NAME ${TAMBERLO_INPOUT_NAME}
    PREFIX ""
    RUNTIME_OUTPUT_DIRECTORY ${output_dir}
    ARCHIVE_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/${target}-lib)
endfunction()
