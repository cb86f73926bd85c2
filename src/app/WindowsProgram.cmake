# The Windows program: velmora.exe for the desktop and velmora.com, its console front end,
# from the same sources, both with the icon, the manifest and the version information.
if(NOT TARGET velmora_platform)
    return()
endif()
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/velmora.manifest
               ${CMAKE_CURRENT_BINARY_DIR}/velmora.manifest @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/resources/windows/velmora.rc.in
               ${CMAKE_CURRENT_BINARY_DIR}/velmora.rc @ONLY)

add_library(velmora_program OBJECT UpdateMachinery.cpp UpdateNow.cpp
            ${CMAKE_CURRENT_BINARY_DIR}/velmora.rc)
target_link_libraries(velmora_program PUBLIC velmora_ui velmora_platform)
target_include_directories(velmora_program PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})

add_executable(velmora_console main.cpp)
set_target_properties(velmora_console PROPERTIES OUTPUT_NAME velmora SUFFIX .com)
target_compile_definitions(velmora_console PRIVATE VELMORA_CONSOLE_FRONT_END)
set(programs velmora_console)
if(TARGET velmora_winui)
    add_executable(velmora WIN32 main.cpp ResidentProgram.cpp)
    target_link_libraries(velmora PRIVATE velmora_winui)
    if(VELMORA_BUILD_TESTS)
        target_compile_definitions(velmora PRIVATE VELMORA_STARTUP_REPORT_HOOK)
    endif()
    list(APPEND programs velmora)
endif()
foreach(program ${programs})
    target_link_libraries(${program} PRIVATE velmora_program)
endforeach()
install(TARGETS ${programs} RUNTIME DESTINATION .)
