# Include roots per layer. No target of the program has the repository's root on its
# include path: each layer's library exposes a folder of its own in the build tree that
# holds only a link to that layer's sources, and a target sees the roots of the layers it
# links. An include of a layer above therefore fails with the compiler's "No such file".
#
# tamberlo_layer_root(TARGET NAME PATH...): TARGET's public include root NAME, holding a
# link to each PATH (a folder or a single file, relative to the repository's root) at
# the same place below the root as in the repository.
get_filename_component(TAMBERLO_REPOSITORY_ROOT ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)

function(tamberlo_layer_root target name)
  set(root ${CMAKE_BINARY_DIR}/layer-roots/${name})
  foreach(path ${ARGN})
    get_filename_component(parent ${root}/${path} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    if(NOT EXISTS ${root}/${path})
      file(CREATE_LINK ${TAMBERLO_REPOSITORY_ROOT}/${path} ${root}/${path} SYMBOLIC)
    endif()
  endforeach()
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "INTERFACE_LIBRARY")
    target_include_directories(${target} INTERFACE ${root})
  else()
    target_include_directories(${target} PUBLIC ${root})
  endif()
endfunction()
