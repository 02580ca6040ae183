# Fails when a library's folder includes a header from a folder the library does not link.
#
#   cmake -DSOURCE_ROOT=<src> -DFOLDER=<folder under it> -DALLOWED=<folder,folder,...>
#         -DLIBRARY=<name> [-DSOURCES_FILE=<the library's files, one a line>]
#         [-DSTAMP=<file touched on success>] -P CheckLayering.cmake
#
# Without SOURCES_FILE every .cpp and .h directly in the folder is checked.
# A quoted include is looked up beside the including file, then under SOURCE_ROOT, as the
# compiler does; one that resolves to neither (a generated file) is not ours to judge. The
# folder's own headers are always allowed; ALLOWED lists the folders of the libraries it links.
cmake_minimum_required(VERSION 3.25)

foreach(required IN ITEMS SOURCE_ROOT FOLDER LIBRARY)
  if(NOT DEFINED ${required})
    message(FATAL_ERROR "CheckLayering.cmake: ${required} is not set")
  endif()
endforeach()
string(REPLACE "," ";" allowed "${ALLOWED}")
list(APPEND allowed "${FOLDER}")

if(DEFINED SOURCES_FILE)
  file(STRINGS "${SOURCES_FILE}" files)
else()
  file(GLOB files LIST_DIRECTORIES false "${SOURCE_ROOT}/${FOLDER}/*.cpp"
       "${SOURCE_ROOT}/${FOLDER}/*.h")
endif()
list(SORT files)
set(violations "")
foreach(file IN LISTS files)
  file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  get_filename_component(directory "${file}" DIRECTORY)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" included "${line}")
    if(EXISTS "${directory}/${included}")
      set(target "${directory}/${included}")
    elseif(EXISTS "${SOURCE_ROOT}/${included}")
      set(target "${SOURCE_ROOT}/${included}")
    else()
      continue()
    endif()
    get_filename_component(target "${target}" REALPATH)
    get_filename_component(root "${SOURCE_ROOT}" REALPATH)
    file(RELATIVE_PATH relative "${root}" "${target}")
    get_filename_component(targetFolder "${relative}" DIRECTORY)
    if(NOT targetFolder IN_LIST allowed)
      file(RELATIVE_PATH shown "${root}" "${file}")
      string(APPEND violations "  ${shown} includes \"${included}\" (${targetFolder}/)\n")
    endif()
  endforeach()
endforeach()

if(violations)
  list(REMOVE_ITEM allowed "${FOLDER}")
  list(JOIN allowed ", " allowedText)
  if(NOT allowedText)
    set(allowedText "nothing")
  endif()
  message(FATAL_ERROR
    "Layering: ${LIBRARY} (${FOLDER}/) includes a folder it does not link:\n${violations}"
    "${FOLDER}/ may include its own headers and those of ${allowedText}. Move what is shared down "
    "a layer, or link the library if the dependency runs downward.")
endif()
if(DEFINED STAMP)
  file(TOUCH "${STAMP}")
endif()
