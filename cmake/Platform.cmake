# Each platform piece (serial port, port discovery, private files, safe
# replacement, interruption, the fleet's device processes) has one source per
# platform beside its header: NamePosix.cpp and NameWin.cpp. The device
# manager's port source (UdevPortSource.cpp) is Linux's alone.
function(merivane_platform_sources list_var)
  set(sources ${${list_var}})
  if(WIN32)
    list(FILTER sources EXCLUDE REGEX "(Posix|/UdevPortSource)\\.cpp$")
  else()
    list(FILTER sources EXCLUDE REGEX "Win\\.cpp$")
  endif()
  set(${list_var} ${sources} PARENT_SCOPE)
endfunction()
