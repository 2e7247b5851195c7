# Windows build: Korvid.exe, the Windows tests and the end-to-end tests,
# all run under Wine by ctest.
set(KORVID_STATIC_LINK -static -static-libgcc -static-libstdc++)
set(KORVID_WIN_LIBS comctl32 comdlg32 shell32 ole32 gdi32 user32 kernel32 advapi32 winmm)

# Every Windows source of the program except the entry point, so the tests
# link the same code the program runs.
file(GLOB KORVID_WIN_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/app/*.cpp
  ${CMAKE_SOURCE_DIR}/document/*.cpp
  ${CMAKE_SOURCE_DIR}/settings/*.cpp
  ${CMAKE_SOURCE_DIR}/tools/*.cpp
  ${CMAKE_SOURCE_DIR}/shell/*.cpp)
list(FILTER KORVID_WIN_SOURCES EXCLUDE REGEX "/(Main|CommandLine|Geometry|SettingsCore|PageRules|DocumentNames|LineBreaks|Utf8|MemoryBudget|ToolsCore|RunInfoCore|AssociationsCore)\\.cpp$")
add_library(korvid_win STATIC ${KORVID_WIN_SOURCES})
target_link_libraries(korvid_win PUBLIC korvid_core ${KORVID_WIN_LIBS})
target_compile_definitions(korvid_win PUBLIC WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600 NOMINMAX)
target_compile_definitions(korvid_core PUBLIC WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600 NOMINMAX)

add_executable(Korvid WIN32 app/Main.cpp resources/Korvid.rc)
target_link_libraries(Korvid PRIVATE korvid_win)
# The editor control needs about 100 bytes of address space per character:
# with 4 GB instead of 2 GB under a 64-bit system it holds twice the text.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(Korvid PRIVATE ${KORVID_STATIC_LINK} -Wl,--large-address-aware)
else()
  target_link_options(Korvid PRIVATE ${KORVID_STATIC_LINK})
endif()
set_target_properties(Korvid PROPERTIES OUTPUT_NAME Korvid)
# windres reports no dependencies, so the files Korvid.rc pulls in are listed.
file(GLOB KORVID_ICONS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/icons/*.ico)
set_source_files_properties(resources/Korvid.rc PROPERTIES
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/resource.h;${CMAKE_SOURCE_DIR}/resources/SettingsPages.rc;${CMAKE_SOURCE_DIR}/resources/Korvid.ico;${KORVID_ICONS}")
target_include_directories(Korvid PRIVATE ${CMAKE_SOURCE_DIR}/resources)
# The toolbar strips, the sample user lists and the help page are looked for
# beside the program.
add_custom_command(TARGET Korvid POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/ToolBar.bmp
          $<TARGET_FILE_DIR:Korvid>/ToolBar.bmp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/ToolBar24.bmp
          $<TARGET_FILE_DIR:Korvid>/ToolBar24.bmp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/resources/ToolBar32.bmp
          $<TARGET_FILE_DIR:Korvid>/ToolBar32.bmp
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/samples/KorvWord.txt
          $<TARGET_FILE_DIR:Korvid>/KorvWord.txt
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${CMAKE_SOURCE_DIR}/help/ReadMe.htm
          $<TARGET_FILE_DIR:Korvid>/ReadMe.htm)

# GoogleTest, cross-built from Debian's sources.
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(KORVID_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
add_subdirectory(${KORVID_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

# Windows tests: the core tests again, plus the tests that drive real
# windows, files and the registry inside the test process.
file(GLOB KORVID_WIN_TESTS CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/tests/*/*CoreTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/*/*WinTest.cpp
  ${CMAKE_SOURCE_DIR}/tests/win/*.cpp)
add_executable(korvid_win_tests ${KORVID_WIN_TESTS} resources/Korvid.rc)
target_include_directories(korvid_win_tests PRIVATE ${CMAKE_SOURCE_DIR}/resources ${CMAKE_SOURCE_DIR}/tests/win)
target_link_libraries(korvid_win_tests PRIVATE korvid_win gtest_main)
target_link_options(korvid_win_tests PRIVATE ${KORVID_STATIC_LINK})
target_compile_definitions(korvid_win_tests PRIVATE KORVID_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# The program the tests start as a Run target, a Run File entry and the
# print program, to see how it was started.
add_executable(korvid_run_probe WIN32 tests/tools/RunProbe.cpp)
target_link_options(korvid_run_probe PRIVATE ${KORVID_STATIC_LINK})
add_dependencies(korvid_win_tests korvid_run_probe)
add_test(NAME windows COMMAND korvid_win_tests)
set_tests_properties(windows PROPERTIES TIMEOUT 300)

# End-to-end tests: the real Korvid.exe started and driven from outside.
file(GLOB KORVID_E2E_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/e2e/*.cpp)
if(KORVID_E2E_SOURCES)
  add_executable(korvid_e2e_tests ${KORVID_E2E_SOURCES})
  target_include_directories(korvid_e2e_tests PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
  target_link_libraries(korvid_e2e_tests PRIVATE gtest_main ${KORVID_WIN_LIBS})
  target_link_options(korvid_e2e_tests PRIVATE ${KORVID_STATIC_LINK})
  target_compile_definitions(korvid_e2e_tests PRIVATE NOMINMAX _WIN32_WINNT=0x0600)
  add_dependencies(korvid_e2e_tests Korvid korvid_run_probe)
  add_test(NAME end_to_end COMMAND korvid_e2e_tests)
  set_tests_properties(end_to_end PROPERTIES TIMEOUT 420
    ENVIRONMENT "KORVID_EXE=$<TARGET_FILE:Korvid>")
endif()

# The soak test: the real Korvid.exe driven by random user steps from a
# seed (scripts/soak.sh runs the long version).
add_executable(korvid_soak tests/soak/Soak.cpp tests/e2e/KorvidDriver.cpp)
target_include_directories(korvid_soak PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(korvid_soak PRIVATE ${KORVID_WIN_LIBS} psapi)
target_link_options(korvid_soak PRIVATE ${KORVID_STATIC_LINK})
target_compile_definitions(korvid_soak PRIVATE NOMINMAX _WIN32_WINNT=0x0600)
add_dependencies(korvid_soak Korvid korvid_run_probe)
# Four short seeds that together load and save every encoding and
# line-break style; the run fails unless each was checked.
add_test(NAME soak COMMAND korvid_soak --steps 150 --seed 1 --seed 2 --seed 3 --seed 8 --all-forms)
set_tests_properties(soak PROPERTIES TIMEOUT 300
  ENVIRONMENT "KORVID_EXE=$<TARGET_FILE:Korvid>")

# Korvid.exe loads only the system's base DLLs before its entry point, and
# is linked large-address-aware.
# (The 64-bit build, made only to run the tests where 32-bit programs
# cannot run, loads every library at start: its test run checks the 32-bit
# program instead.)
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  add_test(NAME imports COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/check_imports.sh
                                $<TARGET_FILE:Korvid>)
endif()

# The packages of scripts/package.sh installed, run, uninstalled and
# unpacked under Wine.
add_test(NAME package COMMAND bash ${CMAKE_SOURCE_DIR}/scripts/test_package.sh)
set_tests_properties(package PROPERTIES TIMEOUT 300)

# Window-side benchmarks, run under Wine by scripts/bench.sh.
file(GLOB KORVID_WIN_BENCH CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*WinBench.cpp)
if(KORVID_WIN_BENCH)
  add_executable(korvid_win_bench ${KORVID_WIN_BENCH} resources/Korvid.rc)
  target_include_directories(korvid_win_bench PRIVATE ${CMAKE_SOURCE_DIR}/resources)
  target_link_libraries(korvid_win_bench PRIVATE korvid_win)
  target_link_options(korvid_win_bench PRIVATE ${KORVID_STATIC_LINK})
endif()

# The launch benchmark and its yardsticks (a minimal window, the bare
# control), run under Wine by scripts/bench.sh.
add_executable(korvid_launch_bench bench/LaunchBench.cpp)
target_link_options(korvid_launch_bench PRIVATE ${KORVID_STATIC_LINK})
add_executable(korvid_launch_probe WIN32 bench/LaunchProbe.cpp)
target_link_options(korvid_launch_probe PRIVATE ${KORVID_STATIC_LINK})
# The program with its start-up trace points compiled in (see app/Trace.h);
# built for the benchmark only.
add_library(korvid_win_trace STATIC EXCLUDE_FROM_ALL ${KORVID_WIN_SOURCES})
target_link_libraries(korvid_win_trace PUBLIC korvid_core ${KORVID_WIN_LIBS})
target_compile_definitions(korvid_win_trace PUBLIC WINVER=0x0600 _WIN32_WINNT=0x0600 _WIN32_IE=0x0600 NOMINMAX KORVID_TRACE)
add_executable(Korvid_trace WIN32 EXCLUDE_FROM_ALL app/Main.cpp resources/Korvid.rc)
target_include_directories(Korvid_trace PRIVATE ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(Korvid_trace PRIVATE korvid_win_trace)
target_link_options(Korvid_trace PRIVATE ${KORVID_STATIC_LINK})
