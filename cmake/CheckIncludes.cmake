# Run inside the build (cmake -P): every quoted include of the program's layers must name
# a file from a layer's root ("ops/DeviceOps.h"). An include that climbs out of its folder
# ("../ops/DeviceOps.h") or leans on the including file's own folder ("DeviceOps.h")
# would pass by the layer roots, so it fails the build here.
set(layers app cli framework image link lpt ops port progress)
set(failures "")
foreach(layer ${layers})
  file(GLOB_RECURSE sources ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(source ${sources})
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line ${includes})
      string(REGEX REPLACE "^[^\"]*\"([^\"]*)\".*$" "\\1" included "${line}")
      if(NOT included MATCHES "^(app|cli|framework|image|link|lpt|ops|port|progress|res)/[^.][^/]*(/[^./][^/]*)*$")
        file(RELATIVE_PATH where ${SOURCE_DIR} ${source})
        string(APPEND failures "  ${where}: #include \"${included}\"\n")
      endif()
    endforeach()
  endforeach()
endforeach()
if(failures)
  message(FATAL_ERROR "Every include of a program layer must be written from a layer's root "
                      "(\"layer/File.h\"), so that the layer's include roots decide what it "
                      "may use:\n${failures}")
endif()
