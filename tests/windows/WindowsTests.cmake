# The Windows edition's tests, run under Wine through the cross-compiling emulator: the logic
# tests on fakes, as on Linux, and the contract suites against the Win32 adapters.

# GoogleTest built from Debian's source package with the cross compiler.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)

add_library(velmora_test_support STATIC)
target_include_directories(velmora_test_support PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(velmora_test_support PUBLIC velmora_ui GTest::gtest GTest::gmock)
target_sources(velmora_test_support PRIVATE support/TempDir.cpp)

# Each test program is one CTest test: a Wine start per case would cost more than the cases.
function(velmora_add_test_executable name)
    add_executable(${name})
    target_link_libraries(${name} PRIVATE velmora_test_support GTest::gmock_main ${ARGN})
    target_compile_definitions(${name} PRIVATE VELMORA_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
endfunction()

velmora_add_test_executable(velmora_logic_tests)
add_subdirectory(core)
add_subdirectory(ui)

# The Win32 adapters: each port's contract suite and the adapters' own cases.
velmora_add_test_executable(velmora_windows_tests velmora_win)
target_include_directories(velmora_windows_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform)
target_sources(velmora_windows_tests PRIVATE platform/win/WinTextTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/RegistryContractTest.cpp platform/win/WinRegistryBackendTest.cpp platform/win/RunKeyAutostartTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/win/MessageLoopWaitTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/PackageFileContractTest.cpp platform/win/WinPackageFileTest.cpp)
# A stand-in package for the process and single-instance tests, built beside the tests.
add_executable(velmora_test_child platform/win/TestChild.cpp)
target_link_libraries(velmora_test_child PRIVATE velmora_win shell32)
add_dependencies(velmora_windows_tests velmora_test_child)
target_sources(velmora_windows_tests PRIVATE platform/ProcessControlContractTest.cpp platform/win/WinProcessControlTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/win/NamedMutexInstanceTest.cpp)

# The Win32 views on real windows. Windows need a display, under Wine an X server: run
# `xvfb-run -a ctest ...`; without DISPLAY the cases skip, and CTest reports them skipped.
velmora_add_test_executable(velmora_windows_display_tests velmora_winui)
target_include_directories(velmora_windows_display_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform)
target_sources(velmora_windows_display_tests PRIVATE
    platform/winui/DisplayTest.cpp
    platform/winui/SettingsWindowViewTest.cpp
    platform/winui/ShellWindowsTest.cpp
)
# They run in a Wine virtual desktop: it has a notification area for the tray icon, and
# its windows come and go without waiting for a window manager that Xvfb does not have.
set(velmora_desktop_key "HKCU\\Software\\Wine\\AppDefaults\\velmora_windows_display_tests.exe\\Explorer")
add_test(NAME velmora_windows_display_desktop
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run reg add ${velmora_desktop_key} /v Desktop /d Velmora /f)
add_test(NAME velmora_windows_display_desktop_size
    COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run reg add "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Velmora /d 1024x768 /f)
set_tests_properties(velmora_windows_display_desktop velmora_windows_display_desktop_size
    PROPERTIES LABELS display FIXTURES_SETUP velmora_virtual_desktop RUN_SERIAL ON)
set_tests_properties(velmora_windows_display_tests PROPERTIES
    LABELS display
    FIXTURES_REQUIRED velmora_virtual_desktop
    SKIP_REGULAR_EXPRESSION "needs an X display")
