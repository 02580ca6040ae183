# The layering check in a small project of two folder libraries, `upper` linking `lower`: an
# include that runs down builds, one that runs up (by name or by a relative path) fails the build
# with a message naming the file and the include, and mending it builds again.
#
#   cmake -DLAYERING_CMAKE=<cmake/Layering.cmake> -DWORK_DIR=<empty folder> -P LayeringTest.cmake

set(project "${WORK_DIR}/project")
set(build "${WORK_DIR}/build")
file(REMOVE_RECURSE "${WORK_DIR}")
file(WRITE "${project}/CMakeLists.txt" "
cmake_minimum_required(VERSION 3.25)
project(LayeringFixture LANGUAGES CXX)
function(vantrel_precompile_headers target)
endfunction()
include(\"${LAYERING_CMAKE}\")
vantrel_folder_library(fixture_lower lower)
vantrel_folder_library(fixture_upper upper)
target_link_libraries(fixture_upper PUBLIC fixture_lower)
cmake_language(DEFER CALL vantrel_check_layering)
")
file(WRITE "${project}/lower/Base.h" "#pragma once\nint base();\n")
file(WRITE "${project}/upper/Top.h" "#pragma once\n#include \"lower/Base.h\"\nint top();\n")
file(WRITE "${project}/upper/Top.cpp" "#include \"Top.h\"\nint top() { return base(); }\n")

function(build_with_base includeLine expectSuccess expectedMessage)
  file(WRITE "${project}/lower/Base.cpp" "${includeLine}\nint base() { return 1; }\n")
  execute_process(COMMAND ${CMAKE_COMMAND} --build "${build}" RESULT_VARIABLE result
                  OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(expectSuccess AND NOT result EQUAL 0)
    message(FATAL_ERROR "Building with '${includeLine}' failed:\n${output}")
  endif()
  if(NOT expectSuccess)
    if(result EQUAL 0)
      message(FATAL_ERROR "Building with '${includeLine}' succeeded; it must fail")
    endif()
    string(FIND "${output}" "${expectedMessage}" at)
    if(at EQUAL -1)
      message(FATAL_ERROR "The failure does not say '${expectedMessage}':\n${output}")
    endif()
  endif()
  message(STATUS "ok: ${includeLine}")
endfunction()

file(WRITE "${project}/lower/Base.cpp" "#include \"Base.h\"\nint base() { return 1; }\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${project}" -B "${build}" -G Ninja
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The fixture project does not configure:\n${output}")
endif()

build_with_base("#include \"Base.h\"" TRUE "")
build_with_base("#include \"upper/Top.h\"" FALSE
                "lower/Base.cpp includes \"upper/Top.h\" (upper/)")
build_with_base("#include \"../upper/Top.h\"" FALSE
                "lower/Base.cpp includes \"../upper/Top.h\" (upper/)")
build_with_base("#include \"lower/Base.h\"" TRUE "")
