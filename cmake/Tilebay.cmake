# Build helpers shared by every folder.
#
# Sources are split into PORTABLE ones (no <windows.h>; also built by the host build) and
# WIN32 ones (cross build only). A library that has nothing to build in the host build is not
# created there; only a test's PORTABLE flag decides whether it is built in the host build. A
# dependency that names no library of ours is a configure error in both builds, so a misspelt
# name can never make a suite vanish.

set(TILEBAY_WARNINGS -Wall -Wextra)

if(TILEBAY_HOST)
    set(TILEBAY_SANITIZERS -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_compile_options(${TILEBAY_SANITIZERS})
    add_link_options(${TILEBAY_SANITIZERS})
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        # The fuzz targets steer by the coverage of the code they call, not only their own.
        add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
    set(GTEST_SOURCE_DIR /usr/src/googletest)
else()
    if(NOT CMAKE_CROSSCOMPILING)
        message(FATAL_ERROR "Configure with -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake, or -DTILEBAY_HOST=ON")
    endif()
    add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN
                            _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0800)
    # One self-contained executable: no libstdc++, libgcc or winpthread DLLs beside it.
    add_link_options(-static -static-libgcc -static-libstdc++)
    set(GTEST_SOURCE_DIR /usr/src/googletest)
    set(TILEBAY_WINE_UNIT_PREFIX ${CMAKE_BINARY_DIR}/wine/unit)
endif()

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_deps/googletest EXCLUDE_FROM_ALL SYSTEM)

# Fails the configure step unless dep is a target, or (host build only) a library of ours that has
# no platform-free part.
function(tilebay_check_dependency user dep)
    if(TARGET ${dep})
        return()
    endif()
    get_property(known GLOBAL PROPERTY TILEBAY_LIBRARIES)
    if(TILEBAY_HOST AND dep IN_LIST known)
        return()
    endif()
    message(FATAL_ERROR "${user} depends on ${dep}, which is no library of this project (or is declared after it)")
endfunction()

# tilebay_library(name [PORTABLE src...] [WIN32 src...] [DEPS target...] [WIN32_LIBS lib...])
function(tilebay_library name)
    cmake_parse_arguments(A "" "" "PORTABLE;WIN32;DEPS;WIN32_LIBS" ${ARGN})
    set_property(GLOBAL APPEND PROPERTY TILEBAY_LIBRARIES ${name})
    foreach(dep IN LISTS A_DEPS)
        tilebay_check_dependency(${name} ${dep})
    endforeach()
    set(sources ${A_PORTABLE})
    if(NOT TILEBAY_HOST)
        list(APPEND sources ${A_WIN32})
    endif()
    if(NOT sources)
        return()
    endif()
    add_library(${name} STATIC ${sources})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_options(${name} PRIVATE ${TILEBAY_WARNINGS})
    foreach(dep IN LISTS A_DEPS)
        if(TARGET ${dep})
            target_link_libraries(${name} PUBLIC ${dep})
        endif()
    endforeach()
    if(NOT TILEBAY_HOST)
        target_link_libraries(${name} PUBLIC ${A_WIN32_LIBS})
    endif()
endfunction()

# tilebay_test(name [PORTABLE] SOURCES src... [DEPS target...])
# A PORTABLE test also runs in the host build; every test runs under Wine in the cross build.
function(tilebay_test name)
    cmake_parse_arguments(A "PORTABLE" "" "SOURCES;DEPS;WIN32_LIBS" ${ARGN})
    if(TILEBAY_HOST AND NOT A_PORTABLE)
        return()
    endif()
    foreach(dep IN LISTS A_DEPS)
        if(NOT TARGET ${dep})
            message(FATAL_ERROR "test ${name} depends on ${dep}, which is not built here"
                                " (misspelt, or a PORTABLE test that needs Win32 code)")
        endif()
    endforeach()
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE ${TILEBAY_WARNINGS})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_link_libraries(${name} PRIVATE ${A_DEPS} GTest::gmock GTest::gtest_main)
    if(NOT TILEBAY_HOST)
        target_link_libraries(${name} PRIVATE ${A_WIN32_LIBS})
    endif()
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 600)
    if(NOT TILEBAY_HOST)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "WINEPREFIX=${TILEBAY_WINE_UNIT_PREFIX}")
    endif()
endfunction()
