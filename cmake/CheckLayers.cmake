# The folders under src/ form one stack; a file may include headers of its own layer and of the
# layers below it, never above:
#   platform < model < format < merge < split < script < session < app
# Inside app/, each front end (console, qt, win32, ...) stands alone: only the program's entry in
# app/ itself reaches into them. tools/, fuzz/ and bench/ use the engine, never a front end.
# The Windows API is used in platform/ and in the Windows window (app/win32/) only.
#
# Included by src/CMakeLists.txt, vsm_check_layers() adds a build step that runs this file in
# script mode (cmake -P) whenever a source file changes; an upward include fails the build.

set(VSM_LAYERS platform model format merge split script session app)

if(NOT CMAKE_SCRIPT_MODE_FILE)
  function(vsm_check_layers source_dir)
    file(GLOB_RECURSE checked_sources CONFIGURE_DEPENDS
      ${source_dir}/*.h ${source_dir}/*.cpp
      ${PROJECT_SOURCE_DIR}/tools/*.h ${PROJECT_SOURCE_DIR}/tools/*.cpp
      ${PROJECT_SOURCE_DIR}/fuzz/*.h ${PROJECT_SOURCE_DIR}/fuzz/*.cpp
      ${PROJECT_SOURCE_DIR}/bench/*.h ${PROJECT_SOURCE_DIR}/bench/*.cpp)
    set(stamp ${CMAKE_BINARY_DIR}/layers.checked)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DVSM_ROOT=${PROJECT_SOURCE_DIR} -DVSM_STAMP=${stamp}
              -P ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      DEPENDS ${checked_sources} ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
      COMMENT "Checking that includes point down the layers"
      VERBATIM)
    add_custom_target(vsm_layer_check ALL DEPENDS ${stamp})
    # The lowest layer waits for the check, so every target that links the engine does too.
    add_dependencies(vsm_platform vsm_layer_check)
  endfunction()
  return()
endif()

# Script mode: VSM_ROOT is the project's source folder, VSM_STAMP the file written on success.
set(problems "")

function(vsm_included_layers file out_var)
  file(STRINGS ${file} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
  set(targets "")
  foreach(line IN LISTS lines)
    if(line MATCHES "#[ \t]*include[ \t]+\"([^\"]+)\"")
      list(APPEND targets "${CMAKE_MATCH_1}")
    endif()
  endforeach()
  set(${out_var} "${targets}" PARENT_SCOPE)
endfunction()

# src/: every include names a layer at or below the file's own.
file(GLOB_RECURSE engine_files RELATIVE ${VSM_ROOT}/src ${VSM_ROOT}/src/*.h ${VSM_ROOT}/src/*.cpp)
foreach(relative IN LISTS engine_files)
  string(REPLACE "/" ";" parts "${relative}")
  list(LENGTH parts depth)
  if(depth LESS 2)
    continue()
  endif()
  list(GET parts 0 own_layer)
  list(FIND VSM_LAYERS ${own_layer} own_rank)
  if(own_rank EQUAL -1)
    string(APPEND problems "  src/${relative}: folder ${own_layer} is not a layer\n")
    continue()
  endif()
  set(own_front_end "")
  if(own_layer STREQUAL "app" AND depth GREATER 2)
    list(GET parts 1 own_front_end)
  endif()
  vsm_included_layers(${VSM_ROOT}/src/${relative} includes)
  foreach(include IN LISTS includes)
    string(REPLACE "/" ";" include_parts "${include}")
    list(GET include_parts 0 layer)
    list(FIND VSM_LAYERS ${layer} rank)
    if(rank EQUAL -1)
      continue()  # a header of the file's own folder, such as "harness.h"
    endif()
    if(rank GREATER own_rank)
      string(APPEND problems "  src/${relative} (${own_layer}) includes ${include} (${layer})\n")
    elseif(own_front_end AND layer STREQUAL "app")
      list(LENGTH include_parts include_depth)
      if(include_depth GREATER 2)
        list(GET include_parts 1 front_end)
        if(NOT front_end STREQUAL own_front_end)
          string(APPEND problems
                 "  src/${relative} (front end ${own_front_end}) includes ${include}\n")
        endif()
      endif()
    endif()
  endforeach()
endforeach()

# tools/, fuzz/, bench/: the engine's layers only.
foreach(folder tools fuzz bench)
  file(GLOB_RECURSE outside_files RELATIVE ${VSM_ROOT}
       ${VSM_ROOT}/${folder}/*.h ${VSM_ROOT}/${folder}/*.cpp)
  foreach(relative IN LISTS outside_files)
    vsm_included_layers(${VSM_ROOT}/${relative} includes)
    foreach(include IN LISTS includes)
      if(include MATCHES "^app/")
        string(APPEND problems "  ${relative} includes the front end's ${include}\n")
      endif()
    endforeach()
  endforeach()
endforeach()

# The Windows API: platform/ and app/win32/ only.
set(windows_api_regex "^[ \t]*#[ \t]*include[ \t]*<(windows|commctrl|commdlg|shellapi|shlobj|winuser|wingdi|winbase)\\.h>")
file(GLOB_RECURSE api_files RELATIVE ${VSM_ROOT}
     ${VSM_ROOT}/src/*.h ${VSM_ROOT}/src/*.cpp ${VSM_ROOT}/tools/*.h ${VSM_ROOT}/tools/*.cpp
     ${VSM_ROOT}/fuzz/*.h ${VSM_ROOT}/fuzz/*.cpp ${VSM_ROOT}/bench/*.h ${VSM_ROOT}/bench/*.cpp)
foreach(relative IN LISTS api_files)
  if(relative MATCHES "^src/(platform|app/win32)/")
    continue()
  endif()
  file(STRINGS ${VSM_ROOT}/${relative} api_lines REGEX "${windows_api_regex}")
  if(api_lines)
    string(APPEND problems "  ${relative} uses the Windows API outside src/platform and src/app/win32\n")
  endif()
endforeach()

if(problems)
  message(FATAL_ERROR "Includes that break the layers "
                      "(platform < model < format < merge < split < script < session < app):\n"
                      "${problems}")
endif()
file(TOUCH ${VSM_STAMP})
