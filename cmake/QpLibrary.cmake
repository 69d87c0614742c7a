# qp_library(NAME [SOURCES src...] [HEADERS h...] [PUBLIC libs...] [PRIVATE libs...])
#   The library of the folder whose CMakeLists.txt calls it (an INTERFACE
#   library when it has no sources). Headers are named as "folder/header.h"
#   everywhere, and the only way to reach them is a folder of links made
#   for this library alone, build/include/NAME/<folder>/<header>, which is
#   on the include path of NAME and of the targets that link it. A target
#   that includes a header of a library it does not link fails to compile,
#   whatever the folders' order on disk: nothing puts the repository root
#   on an include path.
#
#   HEADERS defaults to the folder's own *.h files (not those of its
#   subfolders, which belong to libraries of their own). PUBLIC names what
#   the library's headers include, PRIVATE what only its sources do.
function(qp_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES;HEADERS;PUBLIC;PRIVATE" ${ARGN})
  file(RELATIVE_PATH folder ${QP_ROOT} ${CMAKE_CURRENT_SOURCE_DIR})
  if(NOT ARG_HEADERS)
    file(GLOB ARG_HEADERS CONFIGURE_DEPENDS RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
         ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  endif()
  set(stage ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${stage})
  file(MAKE_DIRECTORY ${stage}/${folder})
  foreach(header ${ARG_HEADERS})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${stage}/${folder}/${header} SYMBOLIC)
  endforeach()

  if(ARG_SOURCES)
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${stage})
    target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${stage})
    target_link_libraries(${name} INTERFACE ${ARG_PUBLIC})
  endif()
endfunction()
