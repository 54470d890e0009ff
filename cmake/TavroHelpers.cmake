# Small helpers shared by the CMake files of the tree.

# tavro_glob_sources(<out-var> <dir>...) collects the .cpp files below each directory.
# New source files are picked up on the next configure (CONFIGURE_DEPENDS).
function(tavro_glob_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB_RECURSE found CONFIGURE_DEPENDS "${dir}/*.cpp")
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
