# Settings of the Windows edition, shared by every Velmora target built for Windows.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "The Windows edition is built with MinGW-w64's g++ (cmake --preset windows)")
endif()
enable_language(RC)

# The wide (UTF-16) Win32 functions throughout; Windows 10's API as the floor.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0A00)
# libstdc++, libgcc and winpthread linked in: the program needs no DLL beyond Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)

# A DLL that is not among Windows' KnownDLLs is looked for beside the program first, when
# the program starts and before any line of it runs: a copy planted there would be loaded.
# Such DLLs are loaded at their first call instead, after the program has limited the
# search to System32 (SetDefaultDllDirectories), through an import library that dlltool
# makes from the exports MinGW's own import library lists, and the functions it names
# beyond those (ones the DLL exports that MinGW's list lacks). The target
# velmora_delay_<name> links against it.
function(velmora_delay_loaded_library name)
    set(extra_exports "${ARGN}")
    find_library(velmora_import_${name} NAMES ${name} REQUIRED)
    set(folder ${CMAKE_BINARY_DIR}/delay-load)
    set(definitions ${folder}/${name}.def)
    set(library ${folder}/lib${name}-delay.a)
    add_custom_command(OUTPUT ${library}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
        COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DIMPORT=${velmora_import_${name}}
                -DDLL=${name}.dll -DDEF=${definitions} "-DEXTRA=${extra_exports}"
                -P ${PROJECT_SOURCE_DIR}/cmake/WriteExportsDef.cmake
        COMMAND ${CMAKE_DLLTOOL} --input-def ${definitions} --output-delaylib ${library}
                --dllname ${name}.dll
        DEPENDS ${velmora_import_${name}} ${PROJECT_SOURCE_DIR}/cmake/WriteExportsDef.cmake
        VERBATIM)
    add_custom_target(velmora_delay_${name}_library DEPENDS ${library})
    add_library(velmora_delay_${name} INTERFACE)
    target_link_libraries(velmora_delay_${name} INTERFACE ${library})
    add_dependencies(velmora_delay_${name} velmora_delay_${name}_library)
endfunction()
foreach(library wininet bcrypt wintrust crypt32)
    velmora_delay_loaded_library(${library})
endforeach()
# Common controls 6, which the manifest asks for, exports LoadIconWithScaleDown.
velmora_delay_loaded_library(comctl32 LoadIconWithScaleDown)
