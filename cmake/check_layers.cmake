# Fails the build when an include points up the layers, or when code outside
# platform/win32 includes windows.h. Run as: cmake -DSOURCE_DIR=... -DSTAMP=... -P
#
# Each folder may include from the folders listed for it (and from itself):
#   base                              base
#   host (the seam's interfaces)      base, host
#   core, values (the interpreter)    base, host, core, values
#   data, dialogs                     ... and their own folder
#   gui                               ... and data, dialogs
#   runtime (the assembly)            every folder below it
#   platform (the two hosts)          everything, and the compiler (to run
#                                     source files); a host never includes the
#                                     other host (checked by file name below)
#   tools/vestcomp (the compiler)     base and its own folder
cmake_minimum_required(VERSION 3.20)
set(interp base host core values)
set(allowed_base base)
set(allowed_host base host)
set(allowed_core ${interp})
set(allowed_values ${interp})
set(allowed_data ${interp} data)
set(allowed_dialogs ${interp} dialogs)
set(allowed_gui ${interp} data dialogs gui)
set(allowed_runtime ${interp} data dialogs gui runtime)
set(allowed_platform ${interp} data dialogs gui runtime platform vestcomp)
set(allowed_vestcomp base vestcomp)

file(GLOB_RECURSE files RELATIVE ${SOURCE_DIR}
  ${SOURCE_DIR}/src/*.cpp ${SOURCE_DIR}/src/*.h
  ${SOURCE_DIR}/tools/vestcomp/*.cpp ${SOURCE_DIR}/tools/vestcomp/*.h)
set(errors "")
foreach(file ${files})
  if(file MATCHES "^src/([a-z]+)/")
    set(layer "${CMAKE_MATCH_1}")
  elseif(file MATCHES "^tools/vestcomp/")
    set(layer vestcomp)
  else()
    continue()
  endif()
  if(NOT DEFINED allowed_${layer})
    string(APPEND errors "  ${file}: the folder ${layer} has no place in the layers\n")
    continue()
  endif()
  file(STRINGS ${SOURCE_DIR}/${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line ${lines})
    if(line MATCHES "<[Ww][Ii][Nn][Dd][Oo][Ww][Ss]\\.[Hh]>" AND NOT file MATCHES "^src/platform/win32/")
      string(APPEND errors "  ${file}: windows.h outside platform/win32\n")
    endif()
    if(NOT line MATCHES "#[ \t]*include[ \t]+\"([^\"]+)\"")
      continue()
    endif()
    set(target "${CMAKE_MATCH_1}")
    if(target MATCHES "^([a-z]+)/")
      set(target_layer "${CMAKE_MATCH_1}")
    else()
      continue()  # a generated header beside the file
    endif()
    if(NOT target_layer IN_LIST allowed_${layer})
      string(APPEND errors "  ${file}: includes ${target} (${layer} may not reach ${target_layer})\n")
    endif()
    if(file MATCHES "^src/platform/([a-z0-9]+)/" AND target MATCHES "^platform/([a-z0-9]+)/")
      set(target_host "${CMAKE_MATCH_1}")
      string(REGEX MATCH "^src/platform/([a-z0-9]+)/" _ "${file}")
      if(NOT CMAKE_MATCH_1 STREQUAL target_host)
        string(APPEND errors "  ${file}: includes ${target} (one host may not reach the other)\n")
      endif()
    endif()
  endforeach()
endforeach()
if(errors)
  message(FATAL_ERROR "Includes that point up the layers:\n${errors}")
endif()
file(WRITE ${STAMP} "")
