# A header-only library: its package when the system has one, else (a cross
# build, whose sysroot has no package files for it) its headers wherever the
# search paths find them.
function(merivane_header_only package target header)
  find_package(${package} QUIET)
  if(TARGET ${target})
    return()
  endif()
  find_path(${package}_HEADERS ${header} REQUIRED)
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} INTERFACE ${${package}_HEADERS})
endfunction()
