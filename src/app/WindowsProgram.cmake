# The Windows program: velmora.exe for the desktop and velmora.com, its console front end,
# from the same objects, both with the icon, the manifest and the version information.
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

add_executable(velmora_console WindowsMain.cpp)
set_target_properties(velmora_console PROPERTIES OUTPUT_NAME velmora SUFFIX .com)
target_compile_definitions(velmora_console PRIVATE VELMORA_CONSOLE_FRONT_END)
set(programs velmora_console)
if(TARGET velmora_winui)
    add_executable(velmora WIN32 WindowsMain.cpp WindowsResidentProgram.cpp)
    target_link_libraries(velmora PRIVATE velmora_winui)
    list(APPEND programs velmora)
endif()
foreach(program ${programs})
    target_link_libraries(${program} PRIVATE velmora_program)
    # wmain: the arguments arrive as UTF-16, whatever the code page.
    target_link_options(${program} PRIVATE -municode)
endforeach()
install(TARGETS ${programs} RUNTIME DESTINATION .)
