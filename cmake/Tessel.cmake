# Helpers shared by the subsystem CMakeLists.

# Japanese literals must reach the Windows binary as code page 932 bytes. GCC's
# -fexec-charset=CP932 does that, but it breaks <chrono> (the micro sign has no CP932
# code), so only the text tables get the flag, and they include nothing from the
# standard library that pulls <chrono> in (<thread>, <mutex>, <stop_token>...).
# Usage: tessel_texts_cp932(<target> <file>...)
function(tessel_texts_cp932 target)
    target_sources(${target} PRIVATE ${ARGN})
    if(WIN32)
        set_source_files_properties(${ARGN} TARGET_DIRECTORY ${target}
            PROPERTIES COMPILE_OPTIONS "-fexec-charset=CP932")
    endif()
endfunction()

# tessel_glob_sources(<out-var> <dir> [<suffix>]): the files <dir>/*<suffix> (default .cpp)
# that belong to this platform: *_win32* only on Windows, *_posix* only elsewhere.
# Each subsystem folder is one library, so adding a file needs no CMake edit.
function(tessel_glob_sources out dir)
    set(suffix .cpp)
    if(ARGC GREATER 2)
        set(suffix ${ARGV2})
    endif()
    file(GLOB all CONFIGURE_DEPENDS ${dir}/*${suffix})
    set(kept)
    foreach(f IN LISTS all)
        get_filename_component(n ${f} NAME)
        if(n MATCHES "_win32[._]" AND NOT WIN32)
            continue()
        elseif(n MATCHES "_posix[._]" AND WIN32)
            continue()
        endif()
        list(APPEND kept ${f})
    endforeach()
    set(${out} ${kept} PARENT_SCOPE)
endfunction()

# tessel_subsystem_library(<target> [UTF8_TEXTS] [LIBS <lib>...]): a static library of the
# current folder (and its os/ sub-folder); its texts.cpp, if any, is compiled to code page
# 932, or left UTF-8 with UTF8_TEXTS (texts that are names in the engine's UTF-8 paths).
function(tessel_subsystem_library target)
    cmake_parse_arguments(arg "UTF8_TEXTS" "" "LIBS" ${ARGN})
    tessel_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
    tessel_glob_sources(os_sources ${CMAKE_CURRENT_SOURCE_DIR}/os)
    list(FILTER sources EXCLUDE REGEX "/texts\\.cpp$")
    add_library(${target} STATIC ${sources} ${os_sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${arg_LIBS} PRIVATE tessel_warnings)
    if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/texts.cpp AND arg_UTF8_TEXTS)
        target_sources(${target} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/texts.cpp)
    elseif(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/texts.cpp)
        tessel_texts_cp932(${target} ${CMAKE_CURRENT_SOURCE_DIR}/texts.cpp)
    endif()
endfunction()
