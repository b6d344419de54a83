# One static library per folder of src/, named zarvel_<folder>.
#
#   zarvel_subsystem(<folder> [DEPENDS lib...] [WIN_DEPENDS lib...]
#                    [EXCLUDE regex...])
#
# Sources are the folder's *.cpp files: *_win.cpp on Windows, *_posix.cpp
# elsewhere, the rest everywhere. A library sees only its own headers and
# those of the libraries it links: each folder is reached through a link in
# the build tree (build/include/<folder>/<folder> -> src/<folder>), so that
# "#include \"run/MacroRun.h\"" from a folder that does not link zarvel_run
# fails to compile. That keeps every dependency pointing down the layers.
function(zarvel_subsystem folder)
  cmake_parse_arguments(ARG "" "" "DEPENDS;WIN_DEPENDS;EXCLUDE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "_posix\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "_win\\.cpp$")
  endif()
  foreach(pattern ${ARG_EXCLUDE})
    list(FILTER sources EXCLUDE REGEX "${pattern}")
  endforeach()
  set(target zarvel_${folder})
  add_library(${target} STATIC ${sources})
  zarvel_expose_folder(${target} ${folder} ${CMAKE_CURRENT_SOURCE_DIR})
  target_link_libraries(${target} PUBLIC ${ARG_DEPENDS})
  if(WIN32)
    target_link_libraries(${target} PUBLIC ${ARG_WIN_DEPENDS})
  endif()
endfunction()

# Makes "<folder>/Header.h" reachable for the target and whatever links it.
function(zarvel_expose_folder target folder source_dir)
  set(root ${CMAKE_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  if(NOT EXISTS ${root}/${folder})
    file(CREATE_LINK ${source_dir} ${root}/${folder} SYMBOLIC)
  endif()
  target_include_directories(${target} PUBLIC ${root})
endfunction()
