# Runs a generator into a folder of its own and records what it made:
#   cmake -DTOOL=<generator> -DFOLDER=<output folder> -DLIST=<list file> -P RunGenerator.cmake
# "<generator> --list" names the files it makes, relative to its folder, one a line;
# "<generator> <folder>" makes them. The folder is emptied first, so a file the generator no
# longer makes cannot linger in a package, and the run fails when the generator made anything
# but what it listed. The list file is written last: the build's record that the folder is
# complete (the packages made from the folder depend on it).
foreach(variable TOOL FOLDER LIST)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "RunGenerator.cmake: -D${variable}=... is missing")
  endif()
endforeach()
get_filename_component(tool_name ${TOOL} NAME)
file(REMOVE ${LIST})

execute_process(COMMAND ${TOOL} --list OUTPUT_VARIABLE listed RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${tool_name} --list failed (${result})")
endif()
string(REGEX REPLACE "\n+$" "" listed "${listed}")
string(REPLACE "\n" ";" listed "${listed}")
list(SORT listed)
list(REMOVE_DUPLICATES listed)

file(REMOVE_RECURSE ${FOLDER})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${TOOL} ${FOLDER} RESULT_VARIABLE result)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "${tool_name} failed (${result})")
endif()

file(GLOB_RECURSE made RELATIVE ${FOLDER} ${FOLDER}/*)
list(SORT made)
set(unlisted ${made})
set(missing ${listed})
if(listed)
  list(REMOVE_ITEM unlisted ${listed})
endif()
if(made)
  list(REMOVE_ITEM missing ${made})
endif()
if(unlisted OR missing)
  list(JOIN unlisted ", " unlisted)
  list(JOIN missing ", " missing)
  message(FATAL_ERROR "${tool_name} does not make what it lists: made but not listed: [${unlisted}]; "
                      "listed but not made: [${missing}]")
endif()

list(JOIN listed "\n" text)
file(WRITE ${LIST} "${text}\n")
