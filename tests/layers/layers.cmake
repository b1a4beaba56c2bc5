# The layers of src/, lowest first: a folder may include headers of its own folder and of the
# folders of lower layers, never of its own layer's other folders or of a higher layer. Every
# folder of src/ has its place here; a new folder fails the check until it has one.
#
#   cmake -DZEL_SOURCE_DIR=<src> -P layers.cmake
#
# Each layer is one line: its folders, separated by commas.
set(ZEL_LAYERS
  "zel"                     # the engine (QtCore)
  "ksf,modbus,script"       # KSF mapper, Zel.Modbus, the zelscript interpreter
  "providers,services"      # every provider in one place; log, script recorder, settings, value texts (QtCore)
  "panelkit"                # ZelForm, PanelBase and the call routine, PanelHost, application state
  "tools"                   # status monitor, performance check
  "panels"                  # the ten object panels and their factory
  "shell"                   # the main window and the start-up
  "app"                     # the programs' main()
)

cmake_minimum_required(VERSION 3.24)

if(NOT ZEL_SOURCE_DIR)
  message(FATAL_ERROR "ZEL_SOURCE_DIR is not set")
endif()

# Rank of every folder.
set(rank 0)
set(known)
foreach(layer IN LISTS ZEL_LAYERS)
  string(REPLACE "," ";" folders "${layer}")
  foreach(folder IN LISTS folders)
    set(rank_${folder} ${rank})
    list(APPEND known ${folder})
  endforeach()
  math(EXPR rank "${rank} + 1")
endforeach()

set(errors)
file(GLOB dirs LIST_DIRECTORIES true RELATIVE ${ZEL_SOURCE_DIR} ${ZEL_SOURCE_DIR}/*)
foreach(dir IN LISTS dirs)
  if(NOT IS_DIRECTORY ${ZEL_SOURCE_DIR}/${dir})
    continue()
  endif()
  if(NOT dir IN_LIST known)
    list(APPEND errors "src/${dir}: a folder without a layer (add it to tests/layers/layers.cmake)")
    continue()
  endif()
  file(GLOB_RECURSE sources ${ZEL_SOURCE_DIR}/${dir}/*.h ${ZEL_SOURCE_DIR}/${dir}/*.cpp)
  foreach(source IN LISTS sources)
    file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"/]+/")
    foreach(line IN LISTS includes)
      string(REGEX REPLACE "^[^\"]*\"([^\"/]+)/.*$" "\\1" target "${line}")
      if(target STREQUAL dir)
        continue()
      endif()
      file(RELATIVE_PATH where ${ZEL_SOURCE_DIR} ${source})
      if(NOT target IN_LIST known)
        list(APPEND errors "src/${where}: includes ${target}/, which is no folder of src/")
      elseif(NOT rank_${target} LESS rank_${dir})
        list(APPEND errors "src/${where}: ${dir} (layer ${rank_${dir}}) includes ${target}/ (layer ${rank_${target}})")
      endif()
    endforeach()
  endforeach()
endforeach()

if(errors)
  list(JOIN errors "\n  " text)
  message(FATAL_ERROR "Includes against the layers:\n  ${text}")
endif()
list(LENGTH known count)
message(STATUS "${count} folders of src/ include only their own and lower layers")
