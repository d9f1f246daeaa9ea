# Holds the layers: run by the build (target check_layers, which every library waits for)
# and by ctest. Fails when a file includes what its folder may not:
#   - the program's folders include only lower program folders and the platform's
#     interface (platform/win32*.h, platform/startup.h), and no toolkit or POSIX header;
#   - platform/linux/* includes only the interface, platform/linux/*.h and the folders it
#     stands on (wine and qt stand on posix), never the program or platform/testing
#     (seam_points.h alone reaches the seams, in the testing library's build);
#   - nothing under src/ but platform/testing includes platform/testing, and no file of
#     platform/linux or platform/common but seam_points.h has code under SALVORIN_SEAMS.
# Usage: cmake -DSOURCE_DIR=<repository> -P check_layers.cmake
cmake_minimum_required(VERSION 3.25)

set(program_layers
  "app:app ui core"
  "ui:ui save playback settings core"
  "save:save playback core"
  "playback:playback core"
  "settings:settings core"
  "core:core")
set(platform_layers
  "common:common"
  "linux/posix:linux/posix common"
  "linux/wine:linux/wine linux/posix"
  "linux/qt:linux/qt linux/posix common"
  "linux/sdl:linux/sdl common"
  "windows:windows testing common"
  "testing:testing common linux/posix linux/wine linux/qt linux/sdl")
set(interface_regex "^platform/(win32[a-z_]*\\.h|startup\\.h)$")
set(toolkit_regex "^<(Q[A-Za-z]*|SDL[A-Za-z_]*\\.h|unistd\\.h|fcntl\\.h|dirent\\.h|dlfcn\\.h|pthread\\.h|poll\\.h|sys/.*|linux/.*)>$")

set(failures "")

function(check_file file allowed_folders is_program platform_folder)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include")
  file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*" "" target "${line}")
    string(REGEX REPLACE "[ \t]*//.*$" "" target "${target}")
    if(target MATCHES "^<")
      if(is_program AND target MATCHES "${toolkit_regex}")
        list(APPEND failures "${shown}: toolkit header ${target} outside src/platform")
      endif()
      continue()
    endif()
    string(REGEX REPLACE "^\"(.*)\"$" "\\1" path "${target}")
    if(path MATCHES "${interface_regex}")
      continue()
    endif()
    set(ok FALSE)
    if(is_program)
      foreach(folder IN LISTS allowed_folders)
        if(path MATCHES "^${folder}/")
          set(ok TRUE)
        endif()
      endforeach()
    else()
      if(path MATCHES "^platform/linux/[a-z_]+\\.h$")
        set(ok TRUE)
      endif()
      foreach(folder IN LISTS allowed_folders)
        if(path MATCHES "^platform/${folder}/")
          set(ok TRUE)
        endif()
      endforeach()
    endif()
    if(NOT ok)
      list(APPEND failures "${shown}: may not include \"${path}\"")
    endif()
  endforeach()
  set(failures "${failures}" PARENT_SCOPE)
endfunction()

foreach(entry IN LISTS program_layers)
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 folder)
  list(GET parts 1 allowed)
  string(REPLACE " " ";" allowed "${allowed}")
  file(GLOB_RECURSE files ${SOURCE_DIR}/src/${folder}/*.cpp ${SOURCE_DIR}/src/${folder}/*.h)
  foreach(file IN LISTS files)
    check_file(${file} "${allowed}" TRUE "")
  endforeach()
endforeach()

foreach(entry IN LISTS platform_layers)
  string(REPLACE ":" ";" parts "${entry}")
  list(GET parts 0 folder)
  list(GET parts 1 allowed)
  string(REPLACE " " ";" allowed "${allowed}")
  file(GLOB_RECURSE files ${SOURCE_DIR}/src/platform/${folder}/*.cpp ${SOURCE_DIR}/src/platform/${folder}/*.h)
  foreach(file IN LISTS files)
    check_file(${file} "${allowed}" FALSE ${folder})
  endforeach()
endforeach()

# The shared files of linux/ (the headers, the wave-out calls) stand on the interface and
# common/, the interface itself on nothing; seam_points.h is the one door to the seams.
file(GLOB shared ${SOURCE_DIR}/src/platform/linux/*.h ${SOURCE_DIR}/src/platform/linux/*.cpp)
foreach(file IN LISTS shared)
  get_filename_component(name ${file} NAME)
  if(name STREQUAL "seam_points.h")
    check_file(${file} "testing" FALSE "")
  else()
    check_file(${file} "common" FALSE "")
  endif()
endforeach()
file(GLOB interface ${SOURCE_DIR}/src/platform/*.h)
foreach(file IN LISTS interface)
  check_file(${file} "" FALSE "")
endforeach()

# The seams' code lives in platform/testing and is reached through seam_points.h alone: no
# other file of linux/ or common/ compiles code of its own under SALVORIN_SEAMS.
file(GLOB_RECURSE flavour ${SOURCE_DIR}/src/platform/linux/*.cpp
  ${SOURCE_DIR}/src/platform/linux/*.h ${SOURCE_DIR}/src/platform/common/*.cpp
  ${SOURCE_DIR}/src/platform/common/*.h)
foreach(file IN LISTS flavour)
  get_filename_component(name ${file} NAME)
  file(STRINGS ${file} seamed REGEX "^[ \t]*#[ \t]*(if|elif).*SALVORIN_SEAMS")
  if(seamed AND NOT name STREQUAL "seam_points.h")
    file(RELATIVE_PATH shown ${SOURCE_DIR} ${file})
    list(APPEND failures "${shown}: seam code under #if (put it in platform/testing)")
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " text)
  message(FATAL_ERROR "Layer check failed:\n  ${text}")
endif()
