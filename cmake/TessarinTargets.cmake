# Shared build settings for every target of the project.

add_library(tessarin_build_options INTERFACE)
target_compile_options(tessarin_build_options INTERFACE -Wall -Wextra)
target_include_directories(tessarin_build_options INTERFACE ${PROJECT_SOURCE_DIR})
if(TESSARIN_SANITIZE)
  target_compile_options(tessarin_build_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  target_link_options(tessarin_build_options INTERFACE -fsanitize=address,undefined)
endif()

# tessarin_library(NAME [SHARED] SOURCES ... DEPENDS ...): one library per subsystem.
function(tessarin_library name)
  cmake_parse_arguments(ARG "SHARED" "" "SOURCES;DEPENDS" ${ARGN})
  if(ARG_SHARED)
    add_library(${name} SHARED ${ARG_SOURCES})
  else()
    add_library(${name} STATIC ${ARG_SOURCES})
  endif()
  target_link_libraries(${name} PUBLIC tessarin_build_options ${ARG_DEPENDS})
endfunction()

# tessarin_test_suite(NAME SOURCES ... DEPENDS ...): one GoogleTest executable, each test a CTest case.
function(tessarin_test_suite name)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPENDS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tessarin_build_options ${ARG_DEPENDS} GTest::gtest GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  # Paths the tests need are compile definitions, not environment variables.
  target_compile_definitions(${name} PRIVATE
    TESSARIN_BIN_DIR="${TESSARIN_OUTPUT_DIR}" TESSARIN_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()
