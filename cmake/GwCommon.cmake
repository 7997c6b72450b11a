# Shared build rules: warnings, sanitizers, tests.

set(GW_WARNINGS -Wall -Wextra -Wpedantic -Wnon-virtual-dtor -Werror
  $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)

if(GW_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Our own targets compile with warnings as errors; third-party code never goes through here.
function(gw_warnings target)
  target_compile_options(${target} PRIVATE ${GW_WARNINGS})
endfunction()

# Sources found in a folder if it exists, so that helpers of one subsystem can add files freely.
function(gw_add_subdirectory_if_present dir)
  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
    add_subdirectory(${dir})
  endif()
endfunction()

# A test program registered with CTest. Qt programs get the offscreen platform.
#   gw_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [ENV ...] [TIMEOUT s])
function(gw_add_test)
  cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  gw_warnings(${T_NAME})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS})
  set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=1;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1;${T_ENV}")
  if(T_LABELS)
    set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
  endif()
endfunction()

# A libFuzzer target (GW_FUZZ builds only). tools/run-fuzzers.sh runs every fuzz_* program
# found in <build>/fuzz.
#   gw_add_fuzzer(NAME fuzz_x SOURCES ... LIBS ...)
function(gw_add_fuzzer)
  cmake_parse_arguments(F "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${F_NAME} ${F_SOURCES})
  gw_warnings(${F_NAME})
  target_link_libraries(${F_NAME} PRIVATE ${F_LIBS})
  target_compile_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  target_link_options(${F_NAME} PRIVATE -fsanitize=fuzzer)
  set_target_properties(${F_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
endfunction()
