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
    # A Wine helper that hangs on (a console host that never ends) must not hold the run for
    # CTest's default 25 minutes.
    set_tests_properties(${name} PROPERTIES TIMEOUT 300)
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
target_sources(velmora_windows_tests PRIVATE platform/win/ConsoleEndRequestsTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/PackageFileContractTest.cpp platform/win/WinPackageFileTest.cpp)
# A stand-in package for the process and single-instance tests, built beside the tests.
add_executable(velmora_test_child platform/win/TestChild.cpp)
target_link_libraries(velmora_test_child PRIVATE velmora_win shell32)
add_dependencies(velmora_windows_tests velmora_test_child)
target_sources(velmora_windows_tests PRIVATE platform/ProcessControlContractTest.cpp platform/win/WinProcessControlTest.cpp)
target_sources(velmora_windows_tests PRIVATE platform/win/NamedMutexInstanceTest.cpp)
# Authenticode on packages signed here with throw-away certificates (openssl, osslsigncode).
target_sources(velmora_windows_tests PRIVATE platform/win/WinTrustVerifierTest.cpp)
add_test(NAME velmora_signed_packages
    COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/make-signed-packages
        $<TARGET_FILE:velmora_test_child> $<TARGET_FILE_DIR:velmora_windows_tests>/signed-packages)
set_tests_properties(velmora_signed_packages PROPERTIES FIXTURES_SETUP velmora_signed_packages)
target_sources(velmora_windows_tests PRIVATE platform/win/WinSpecialFoldersTest.cpp platform/win/WinLogFileTest.cpp)

# End to end under Wine: the sample mirror (python, run on the host, not through the
# emulator) serves the stand-in package, and velmora.com --update-now runs against it. One at
# a time, as the cases share the build's prefix: its registry and its instance mutex.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(velmora_windows_e2e_command
    ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/windows/e2e/update_now_e2e.py
    --wine-run ${PROJECT_SOURCE_DIR}/scripts/wine-run
    --prefix ${CMAKE_BINARY_DIR}/wineprefix
    --mirror ${PROJECT_SOURCE_DIR}/tools/sample-mirror
    --standin $<TARGET_FILE:velmora_standin_package>)
add_test(NAME WindowsStandinPackage COMMAND ${velmora_windows_e2e_command} StandinPackageTest)
set(velmora_windows_e2e_tests WindowsStandinPackage)
if(TARGET velmora_console)
    add_test(NAME WindowsUpdateNowE2E
        COMMAND ${velmora_windows_e2e_command} --program $<TARGET_FILE:velmora_console>
            UpdateNowE2ETest)
    # The administrator's policies: a company mirror over http and https, and Squid (Debian
    # package squid) on 127.0.0.1 as a caching proxy.
    add_test(NAME WindowsManagedUpdateNowE2E
        COMMAND ${velmora_windows_e2e_command} --program $<TARGET_FILE:velmora_console>
            ManagedUpdateNowE2ETest)
    # The cases that wait out the program's own time-outs, a minute or so each: labelled
    # slow, left out of scripts/test-windows.
    add_test(NAME WindowsUpdateNowSlowE2E
        COMMAND ${velmora_windows_e2e_command} --program $<TARGET_FILE:velmora_console>
            SlowUpdateNowE2ETest)
    set_tests_properties(WindowsUpdateNowSlowE2E PROPERTIES LABELS slow)
    list(APPEND velmora_windows_e2e_tests WindowsUpdateNowE2E WindowsManagedUpdateNowE2E
         WindowsUpdateNowSlowE2E)
endif()
set_tests_properties(${velmora_windows_e2e_tests} PROPERTIES RUN_SERIAL TRUE TIMEOUT 300)
# The form of the Group Policy templates; no Wine needed. (The values they name are checked
# against the program's own table by the logic tests.)
add_test(NAME velmora_policy_templates
         COMMAND ${Python3_EXECUTABLE} ${CMAKE_CURRENT_SOURCE_DIR}/windows/policy/policy_templates_test.py
                 ${PROJECT_SOURCE_DIR}/resources/windows/policy)
# The installer, updated over the running program, and the Windows Installer package: each
# built, installed, run and removed in a Wine prefix of its own. One at a time, as both
# package the build in the same folder.
add_test(NAME velmora_installer
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/installer-test ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
add_test(NAME velmora_msi
         COMMAND ${CMAKE_CURRENT_SOURCE_DIR}/windows/msi-test ${PROJECT_SOURCE_DIR}
                 ${CMAKE_BINARY_DIR} ${PROJECT_VERSION})
set_tests_properties(velmora_installer velmora_msi PROPERTIES LABELS installer
                     SKIP_RETURN_CODE 77 TIMEOUT 300 RESOURCE_LOCK velmora_packages)
if(NOT TARGET velmora OR NOT TARGET velmora_console)
    # Shown as not run until the build makes both programs the installers ship.
    set_tests_properties(velmora_installer velmora_msi PROPERTIES DISABLED TRUE)
endif()
# WinINet and CNG against the HTTP fetcher's and the digest's contracts, on a loopback server.
target_sources(velmora_windows_tests PRIVATE
    support/LoopbackHttpServer.cpp platform/HttpFetcherContractTest.cpp platform/HttpWireContractTest.cpp
    platform/DigestContractTest.cpp platform/win/WinInetFetcherTest.cpp
    platform/win/CngDigestLibraryTest.cpp platform/win/EventLoopFetcherTest.cpp)
target_link_libraries(velmora_windows_tests PRIVATE ws2_32)
set_tests_properties(velmora_windows_tests PROPERTIES FIXTURES_REQUIRED velmora_signed_packages)

# The Win32 views on real windows. Windows need a display, under Wine an X server: run
# `xvfb-run -a ctest ...`; without DISPLAY the cases skip, and CTest reports them skipped.
velmora_add_test_executable(velmora_windows_display_tests velmora_winui)
target_include_directories(velmora_windows_display_tests PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/platform)
target_sources(velmora_windows_display_tests PRIVATE
    platform/winui/DesktopDensityTest.cpp
    platform/winui/DisplayTest.cpp
    platform/winui/MessageBoxOwnerTest.cpp
    platform/SettingsWindowViewContractTest.cpp
    platform/winui/WinSettingsWindowViewTest.cpp
    platform/winui/ShellWindowsTest.cpp
)
# The program's icon, as the icon tests load it from their own executable.
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/platform/winui/DisplayTests.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/DisplayTests.rc @ONLY)
target_sources(velmora_windows_display_tests PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/DisplayTests.rc)
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

# velmora.exe end to end on the virtual desktop, driven through its windows' messages. One
# at a time with the other end-to-end cases: they share the prefix's registry and the
# program's instance mutex. Wine's Z: drive is the host's root, where the build put the exe.
if(TARGET velmora)
    velmora_add_test_executable(velmora_windows_resident_tests velmora_win ws2_32)
    target_sources(velmora_windows_resident_tests PRIVATE
        windows/resident/ResidentProgramTest.cpp support/LoopbackHttpServer.cpp)
    target_compile_definitions(velmora_windows_resident_tests PRIVATE
        VELMORA_RESIDENT_PROGRAM=L"Z:$<TARGET_FILE:velmora>")
    add_dependencies(velmora_windows_resident_tests velmora)
    add_test(NAME velmora_windows_resident_desktop
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run reg add
            "HKCU\\Software\\Wine\\AppDefaults\\velmora_windows_resident_tests.exe\\Explorer"
            /v Desktop /d Velmora /f)
    add_test(NAME velmora_windows_resident_program_desktop
        COMMAND ${PROJECT_SOURCE_DIR}/scripts/wine-run reg add
            "HKCU\\Software\\Wine\\AppDefaults\\velmora.exe\\Explorer" /v Desktop /d Velmora /f)
    set_tests_properties(velmora_windows_resident_desktop velmora_windows_resident_program_desktop
        PROPERTIES LABELS display FIXTURES_SETUP velmora_resident_desktop RUN_SERIAL ON)
    set_tests_properties(velmora_windows_resident_tests PROPERTIES
        LABELS display
        FIXTURES_REQUIRED "velmora_virtual_desktop;velmora_resident_desktop"
        RUN_SERIAL TRUE
        TIMEOUT 120
        SKIP_REGULAR_EXPRESSION "needs an X display")
endif()
