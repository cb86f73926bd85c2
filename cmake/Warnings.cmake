# Compiler settings shared by every Velmora target.
add_library(velmora_options INTERFACE)
target_compile_options(velmora_options INTERFACE -Wall -Wextra -Wpedantic)
if(VELMORA_WERROR)
    target_compile_options(velmora_options INTERFACE -Werror)
endif()
if(VELMORA_SANITIZE)
    set(_velmora_san -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_compile_options(velmora_options INTERFACE ${_velmora_san})
    target_link_options(velmora_options INTERFACE ${_velmora_san})
endif()
if(VELMORA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VELMORA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    # Coverage feedback for every library the fuzz targets reach; any sanitizer finding
    # stops the run so that libFuzzer keeps the input.
    set(_velmora_fuzz -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
    target_compile_options(velmora_options INTERFACE ${_velmora_fuzz})
    target_link_options(velmora_options INTERFACE -fsanitize=address,undefined)
endif()
