# Settings of the Windows edition, shared by every Velmora target built for Windows.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    message(FATAL_ERROR "The Windows edition is built with MinGW-w64's g++ (cmake --preset windows)")
endif()
enable_language(RC)

# The wide (UTF-16) Win32 functions throughout; Windows 7's API as the floor.
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
# libstdc++, libgcc and winpthread linked in: the program needs no DLL beyond Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)
