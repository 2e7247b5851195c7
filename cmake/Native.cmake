# Native (Linux) build of the window-free core: unit tests with sanitizers,
# fuzz targets and core benchmarks.
find_package(GTest REQUIRED)

set(KORVID_SANITIZER_FLAGS -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
if(KORVID_SANITIZE)
  target_compile_options(korvid_core PUBLIC ${KORVID_SANITIZER_FLAGS})
  target_link_options(korvid_core PUBLIC ${KORVID_SANITIZER_FLAGS})
endif()

file(GLOB KORVID_CORE_TESTS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/*/*CoreTest.cpp)
add_executable(korvid_native_tests ${KORVID_CORE_TESTS})
target_link_libraries(korvid_native_tests PRIVATE korvid_core GTest::gtest_main)
target_compile_definitions(korvid_native_tests PRIVATE KORVID_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
add_test(NAME native_unit COMMAND korvid_native_tests)

# The help page "ReadMe.htm": complete, self-contained and renderable. The
# self-test puts faults into a copy and makes sure each one is caught.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
add_test(NAME help_page
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_help.py
                 --screenshot ${CMAKE_BINARY_DIR}/help/ReadMe.png)
add_test(NAME help_check_self_test
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/check_help.py --self-test
                 --screenshot ${CMAKE_BINARY_DIR}/help/SelfTest.png)
set_tests_properties(help_page help_check_self_test PROPERTIES TIMEOUT 300)

if(KORVID_FUZZ)
  # The fuzzers link a copy of the core built with coverage instrumentation:
  # without it they see only their own branches and mutate blindly.
  get_target_property(KORVID_CORE_SOURCES korvid_core SOURCES)
  add_library(korvid_core_fuzz STATIC ${KORVID_CORE_SOURCES})
  target_include_directories(korvid_core_fuzz
                             PUBLIC $<TARGET_PROPERTY:korvid_core,INTERFACE_INCLUDE_DIRECTORIES>)
  target_compile_options(korvid_core_fuzz PRIVATE -fsanitize=fuzzer-no-link -O1)
  if(KORVID_SANITIZE)
    target_compile_options(korvid_core_fuzz PUBLIC ${KORVID_SANITIZER_FLAGS})
    target_link_options(korvid_core_fuzz PUBLIC ${KORVID_SANITIZER_FLAGS})
  endif()
  file(GLOB KORVID_FUZZERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/Fuzz*.cpp)
  # Each target runs a few seconds on every test pass, from a fixed seed;
  # longer runs by hand: configure with -DKORVID_FUZZ_SECONDS=300, or run a
  # target with -max_total_time=N (see README).
  set(KORVID_FUZZ_SECONDS 5 CACHE STRING "Seconds each fuzz target runs in the test pass")
  foreach(src ${KORVID_FUZZERS})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE korvid_core_fuzz)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer -O1)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_test(NAME fuzz_${name} COMMAND ${name} -max_total_time=${KORVID_FUZZ_SECONDS} -seed=1)
  endforeach()
endif()

if(KORVID_BENCH)
  find_package(benchmark REQUIRED)
  file(GLOB KORVID_CORE_BENCH CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*CoreBench.cpp)
  add_executable(korvid_core_bench ${KORVID_CORE_BENCH})
  target_link_libraries(korvid_core_bench PRIVATE korvid_core benchmark::benchmark_main)
endif()
