# Third-party libraries, built from the sources that tools/setup.sh installs. Nothing here is committed.

set(ORVO_THIRD_PARTY ${CMAKE_SOURCE_DIR}/third_party CACHE PATH "Where tools/setup.sh unpacked sources")
set(ORVO_LZMA_DIR /usr/include/lzma CACHE PATH "LZMA SDK C sources (Debian lzma-dev)")

# LZMA SDK: the decoder for the reader, the encoder for lzpack. Single-threaded build.
add_library(lzmasdk STATIC
    ${ORVO_LZMA_DIR}/LzmaDec.c
    ${ORVO_LZMA_DIR}/LzmaEnc.c
    ${ORVO_LZMA_DIR}/LzFind.c)
target_compile_definitions(lzmasdk PUBLIC _7ZIP_ST)
target_include_directories(lzmasdk SYSTEM PUBLIC ${ORVO_LZMA_DIR})
set_target_properties(lzmasdk PROPERTIES POSITION_INDEPENDENT_CODE ON)

# Lua 5.2.4 from Debian's source package, with the compatibility switches of its own makefile: the
# installer's scripts on Windows, the project files of orvo-build on both.
set(ORVO_LUA_DIR ${ORVO_THIRD_PARTY}/lua5.2-5.2.4/src)
if(NOT EXISTS ${ORVO_LUA_DIR}/lapi.c)
    message(FATAL_ERROR "Lua sources not found in ${ORVO_LUA_DIR}: run tools/setup.sh")
endif()
file(GLOB lua_sources ${ORVO_LUA_DIR}/*.c)
list(REMOVE_ITEM lua_sources ${ORVO_LUA_DIR}/lua.c ${ORVO_LUA_DIR}/luac.c)
add_library(lua52 STATIC ${lua_sources})
target_compile_definitions(lua52 PUBLIC LUA_COMPAT_ALL)
target_include_directories(lua52 SYSTEM PUBLIC ${ORVO_LUA_DIR})
target_compile_options(lua52 PRIVATE -w)
if(NOT WIN32)
    target_compile_definitions(lua52 PRIVATE LUA_USE_POSIX)
    target_link_libraries(lua52 PUBLIC m)
endif()

# Header-only libraries.
add_library(rapidxml INTERFACE)
target_include_directories(rapidxml SYSTEM INTERFACE /usr/include/rapidxml)
add_library(stb INTERFACE)
target_include_directories(stb SYSTEM INTERFACE /usr/include/stb)

if(ORVO_TESTS)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
    if(TARGET gtest)
        target_compile_options(gtest PRIVATE -w)
        target_compile_options(gtest_main PRIVATE -w)
    endif()
endif()
