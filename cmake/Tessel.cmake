# Helpers shared by the subsystem CMakeLists.

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

# tessel_subsystem_library(<target> [LIBS <lib>...]): a static library of the current folder
# (and its os/ sub-folder), its texts.cpp included. Every source is compiled as it is
# written, UTF-8: the window takes its texts as UTF-16 literals (u"..."), the engine as
# UTF-8.
function(tessel_subsystem_library target)
    cmake_parse_arguments(arg "" "" "LIBS" ${ARGN})
    tessel_glob_sources(sources ${CMAKE_CURRENT_SOURCE_DIR})
    tessel_glob_sources(os_sources ${CMAKE_CURRENT_SOURCE_DIR}/os)
    add_library(${target} STATIC ${sources} ${os_sources})
    target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${arg_LIBS} PRIVATE tessel_warnings)
endfunction()
