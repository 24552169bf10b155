# Keeps a copy of a folder of hand-written files up to date, on every build:
#   cmake -DSOURCE=<folder> -DDESTINATION=<folder> -DRECORD=<file> -P CopyFolder.cmake
# Files that differ from their source are copied. A file copied by an earlier run whose source
# has gone is removed (the record names what was copied). Everything else in the destination,
# such as generated files, is left alone.
foreach(variable SOURCE DESTINATION RECORD)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "CopyFolder.cmake: -D${variable}=... is missing")
  endif()
endforeach()

file(GLOB_RECURSE files RELATIVE ${SOURCE} ${SOURCE}/*)
list(SORT files)
foreach(file ${files})
  get_filename_component(folder ${DESTINATION}/${file} DIRECTORY)
  file(MAKE_DIRECTORY ${folder})
  file(COPY_FILE ${SOURCE}/${file} ${DESTINATION}/${file} ONLY_IF_DIFFERENT)
endforeach()

if(EXISTS ${RECORD})
  file(STRINGS ${RECORD} copied)
  if(files)
    list(REMOVE_ITEM copied ${files})
  endif()
  foreach(file ${copied})
    file(REMOVE ${DESTINATION}/${file})
  endforeach()
endif()
list(JOIN files "\n" text)
if(EXISTS ${RECORD})
  file(READ ${RECORD} previous)
endif()
if(NOT "${previous}" STREQUAL "${text}\n")
  file(WRITE ${RECORD} "${text}\n")
endif()
