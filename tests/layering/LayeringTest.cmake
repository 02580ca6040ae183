# The layering check in a small project of folder libraries: `upper` links `lower` publicly and
# `secret` privately, `front` links `upper`. An include that runs down builds, one that runs up
# (by name or by a relative path) fails the build with a message naming the file and the include,
# and mending it builds again; `front` may include what `upper` links publicly, not privately.
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
vantrel_folder_library(fixture_secret secret)
vantrel_folder_library(fixture_upper upper)
target_link_libraries(fixture_upper PUBLIC fixture_lower PRIVATE fixture_secret)
vantrel_folder_library(fixture_front front)
target_link_libraries(fixture_front PUBLIC fixture_upper)
cmake_language(DEFER CALL vantrel_check_layering)
")
file(WRITE "${project}/lower/Base.h" "#pragma once\nint base();\n")
file(WRITE "${project}/upper/Top.h" "#pragma once\n#include \"lower/Base.h\"\nint top();\n")
file(WRITE "${project}/upper/Top.cpp"
     "#include \"Top.h\"\n#include \"secret/Secret.h\"\nint top() { return base() + secret(); }\n")
file(WRITE "${project}/secret/Secret.h" "#pragma once\nint secret();\n")
file(WRITE "${project}/secret/Secret.cpp" "#include \"Secret.h\"\nint secret() { return 2; }\n")

# Writes `file` with the include line, builds, and checks the outcome.
function(build_with file includeLine expectSuccess expectedMessage)
  file(WRITE "${project}/${file}" "${includeLine}\nint unused_${expectSuccess}();\n")
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
file(WRITE "${project}/front/Front.cpp" "#include \"upper/Top.h\"\n")
execute_process(COMMAND ${CMAKE_COMMAND} -S "${project}" -B "${build}" -G Ninja
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "The fixture project does not configure:\n${output}")
endif()

build_with(lower/Extra.cpp "#include \"Base.h\"" TRUE "")
build_with(lower/Extra.cpp "#include \"upper/Top.h\"" FALSE
           "lower/Extra.cpp includes \"upper/Top.h\" (upper/)")
build_with(lower/Extra.cpp "#include \"../upper/Top.h\"" FALSE
           "lower/Extra.cpp includes \"../upper/Top.h\" (upper/)")
build_with(lower/Extra.cpp "#include \"lower/Base.h\"" TRUE "")
build_with(front/Front.cpp "#include \"lower/Base.h\"" TRUE "")
build_with(front/Front.cpp "#include \"secret/Secret.h\"" FALSE
           "front/Front.cpp includes \"secret/Secret.h\" (secret/)")
build_with(front/Front.cpp "#include \"upper/Top.h\"" TRUE "")
