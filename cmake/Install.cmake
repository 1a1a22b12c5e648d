# What `cmake --install` puts in place: the programs, the desktop entry and its
# icons, the man pages and the udev rule that lets the desktop user open the
# maker's devices and keeps ModemManager away from them.
include(GNUInstallDirs)

# udev reads /usr/lib/udev/rules.d and /usr/local/lib/udev/rules.d, so the
# rule goes below the prefix like everything else.
set(MERIVANE_UDEV_RULES_DIR "lib/udev/rules.d" CACHE STRING
  "Folder of the installed udev rule, relative to the install prefix (or absolute)")
set(MERIVANE_ICON_SIZES 16 32 48 64 128 256)

set(_merivane_packaging ${CMAKE_SOURCE_DIR}/packaging)

install(TARGETS merivane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_merivane_packaging}/merivane.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_merivane_packaging}/60-merivane.rules DESTINATION ${MERIVANE_UDEV_RULES_DIR})

# The icon theme's sizes, scaled at build time from the one icon the program
# carries, so there is a single picture to maintain.
add_executable(merivane-icon-sizes ${_merivane_packaging}/IconSizes.cpp)
target_link_libraries(merivane-icon-sizes PRIVATE Qt6::Gui)
set(_merivane_icon_source ${CMAKE_SOURCE_DIR}/res/images/merivane.png)
set(_merivane_icon_dir ${CMAKE_BINARY_DIR}/icons)
set(_merivane_icons)
foreach(size IN LISTS MERIVANE_ICON_SIZES)
  set(_icon ${_merivane_icon_dir}/${size}x${size}/merivane.png)
  list(APPEND _merivane_icons ${_icon})
  install(FILES ${_icon} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_command(OUTPUT ${_merivane_icons}
  COMMAND merivane-icon-sizes ${_merivane_icon_source} ${_merivane_icon_dir} ${MERIVANE_ICON_SIZES}
  DEPENDS merivane-icon-sizes ${_merivane_icon_source}
  COMMENT "Scaling the program icon to the icon theme's sizes"
  VERBATIM)
add_custom_target(merivane-icons ALL DEPENDS ${_merivane_icons})

# Man pages are installed compressed, as Debian ships them, when gzip is there.
find_program(MERIVANE_GZIP gzip)
if(MERIVANE_GZIP)
  set(MERIVANE_MAN_SUFFIX ".gz")
else()
  set(MERIVANE_MAN_SUFFIX "")
endif()

function(merivane_install_man_page page)
  get_filename_component(name ${page} NAME)
  string(REGEX REPLACE ".*\\.([0-9])$" "\\1" section ${name})
  if(MERIVANE_GZIP)
    set(compressed ${CMAKE_BINARY_DIR}/man/${name}.gz)
    add_custom_command(OUTPUT ${compressed}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${CMAKE_COMMAND} -DGZIP=${MERIVANE_GZIP} -DINPUT=${page} -DOUTPUT=${compressed}
              -P ${CMAKE_SOURCE_DIR}/cmake/GzipFile.cmake
      DEPENDS ${page} ${CMAKE_SOURCE_DIR}/cmake/GzipFile.cmake
      COMMENT "Compressing the man page ${name}"
      VERBATIM)
    add_custom_target(man-${name} ALL DEPENDS ${compressed})
    install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  else()
    install(FILES ${page} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  endif()
endfunction()

merivane_install_man_page(${CMAKE_SOURCE_DIR}/docs/merivane.1)

# The command-line program is defined further down the top-level list, so it
# is looked for once that list has been read. The install tests learn from
# install-expect.sh what this build installs.
function(merivane_install_command_line_program)
  set(cli 0)
  set(cli_man 0)
  if(TARGET merivane-cli)
    set(cli 1)
    install(TARGETS merivane-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(EXISTS ${CMAKE_SOURCE_DIR}/docs/merivane-cli.1)
      set(cli_man 1)
      merivane_install_man_page(${CMAKE_SOURCE_DIR}/docs/merivane-cli.1)
    endif()
  endif()
  list(JOIN MERIVANE_ICON_SIZES " " icon_sizes)
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/install-expect.sh CONTENT
"# What this build installs (written by cmake/Install.cmake for the install tests).
cli=${cli}
cli_man=${cli_man}
man_suffix='${MERIVANE_MAN_SUFFIX}'
bin_dir='${CMAKE_INSTALL_BINDIR}'
data_dir='${CMAKE_INSTALL_DATADIR}'
man_dir='${CMAKE_INSTALL_MANDIR}'
udev_dir='${MERIVANE_UDEV_RULES_DIR}'
icon_sizes='${icon_sizes}'
version='${PROJECT_VERSION}'
")
endfunction()
cmake_language(DEFER CALL merivane_install_command_line_program)

# udev does not look below other prefixes: say where the rule has to go.
install(CODE [[
  if(NOT CMAKE_INSTALL_PREFIX MATCHES "^/usr(/local)?$" AND NOT DEFINED ENV{DESTDIR})
    message(STATUS "udev reads rules from /usr/lib/udev/rules.d, /usr/local/lib/udev/rules.d and "
                   "/etc/udev/rules.d only: copy 60-merivane.rules to one of them")
  endif()
]])
