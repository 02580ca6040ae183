# Layering by the link graph: one library per source folder, and a build step per library that
# fails when the folder includes a header of a folder the library does not link.

# A library of the files directly in `folder` (not its subfolders). The rest of the arguments
# are its extra precompiled headers; QT_CORE_ONLY leaves out the shared ones, which need Qt Gui,
# NO_QT all of them (a library without Qt), and PCH_FROM uses another library's precompiled
# headers (same flags and definitions) instead of building its own. A program's main.cpp is not
# part of its folder's library.
function(vantrel_folder_library target folder)
  cmake_parse_arguments(PARSE_ARGV 2 ARG "QT_CORE_ONLY;NO_QT" "PCH_FROM" "")
  file(GLOB sources CONFIGURE_DEPENDS ${folder}/*.cpp ${folder}/*.h)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  add_library(${target} STATIC ${sources})
  if(ARG_PCH_FROM AND VANTREL_FAST_BUILD)
    target_precompile_headers(${target} REUSE_FROM ${ARG_PCH_FROM})
  elseif(NOT ARG_QT_CORE_ONLY AND NOT ARG_NO_QT AND NOT ARG_PCH_FROM)
    vantrel_precompile_headers(${target} ${ARG_UNPARSED_ARGUMENTS})
  endif()
  if(ARG_NO_QT)
    set_target_properties(${target} PROPERTIES AUTOMOC OFF)
  endif()
  target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  set_target_properties(${target} PROPERTIES VANTREL_FOLDER ${folder})
  set_property(GLOBAL APPEND PROPERTY VANTREL_FOLDER_LIBRARIES ${target})
endfunction()

# The folders a library may include: those of the libraries it links, and of what they link
# publicly in turn. A private dependency of a dependency ($<LINK_ONLY:…>) is not among them.
function(vantrel_linked_folders target out)
  set(folders "")
  get_target_property(pending ${target} LINK_LIBRARIES)
  set(seen "")
  while(pending)
    list(POP_FRONT pending dependency)
    if(NOT TARGET "${dependency}" OR dependency IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${dependency})
    get_target_property(folder ${dependency} VANTREL_FOLDER)
    if(folder)
      list(APPEND folders ${folder})
    endif()
    get_target_property(interface ${dependency} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND pending ${interface})
    endif()
  endwhile()
  list(REMOVE_DUPLICATES folders)
  set(${out} "${folders}" PARENT_SCOPE)
endfunction()

# Each folder library checks its includes before it compiles, on every build that touches it.
function(vantrel_check_layering)
  get_property(libraries GLOBAL PROPERTY VANTREL_FOLDER_LIBRARIES)
  set(script ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/CheckLayering.cmake)
  foreach(target IN LISTS libraries)
    vantrel_linked_folders(${target} allowed)
    list(JOIN allowed "," allowed)
    get_target_property(folder ${target} VANTREL_FOLDER)
    get_target_property(sources ${target} SOURCES)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/layering/${target}.checked)
    list(JOIN sources "\n" lines)
    file(CONFIGURE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/layering/${target}.sources
         CONTENT "${lines}\n")
    add_custom_command(
      OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -DSOURCE_ROOT=${CMAKE_CURRENT_SOURCE_DIR} -DFOLDER=${folder}
              -DALLOWED=${allowed} -DLIBRARY=${target}
              -DSOURCES_FILE=${CMAKE_CURRENT_BINARY_DIR}/layering/${target}.sources
              -DSTAMP=${stamp} -P ${script}
      DEPENDS ${sources} ${script} ${CMAKE_CURRENT_BINARY_DIR}/layering/${target}.sources
      COMMENT "Checking that ${target} includes only what it links"
      VERBATIM)
    add_custom_target(${target}_layering DEPENDS ${stamp})
    add_dependencies(${target} ${target}_layering)
  endforeach()
endfunction()
