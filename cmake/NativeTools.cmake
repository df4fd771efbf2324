# lzpack and orvo-build built for the build machine: the packages that go into the installer's
# resources, and the installers themselves (cmake/Installer.cmake).
include(ExternalProject)
set(ORVO_NATIVE_DIR ${CMAKE_BINARY_DIR}/native-tools)
set(ORVO_NATIVE_LZPACK ${ORVO_NATIVE_DIR}/tools/lzpack/lzpack)
set(ORVO_NATIVE_BUILDER ${ORVO_NATIVE_DIR}/builder/orvo-build)
# orvo-build's data folder as the build makes it (orvo_add_builder_data in cmake/Installer.cmake)
set(ORVO_BUILDER_DATA ${CMAKE_BINARY_DIR}/orvo-build-data)
ExternalProject_Add(native_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${ORVO_NATIVE_DIR}
    CMAKE_ARGS -DORVO_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
    # one target at a time: the first brings a folder configured by an older tree up to date
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${ORVO_NATIVE_DIR} --target lzpack
          COMMAND ${CMAKE_COMMAND} --build ${ORVO_NATIVE_DIR} --target orvo-build
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${ORVO_NATIVE_LZPACK} ${ORVO_NATIVE_BUILDER}
    INSTALL_COMMAND "")

# orvo_make_package(OUT DIR [DEPENDS...]): OUT is rebuilt from every file under DIR; a folder made
# by the build names what makes it (a stamp) as its dependencies instead. Its files are not listed
# then: the build may make them anew under other names, and a listed file that is gone stops make
# with "no rule to make target" before the stamp's rule can run.
function(orvo_make_package out dir)
    if(ARGN)
        set(inputs ${ARGN})
    else()
        file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${dir}/*)
    endif()
    add_custom_command(OUTPUT ${out}
        COMMAND ${ORVO_NATIVE_LZPACK} create --lzma=7 ${out} ${dir}
        DEPENDS native_tools ${ORVO_NATIVE_LZPACK} ${inputs}
        COMMENT "Packing ${dir}"
        VERBATIM)
endfunction()

# The skin images are drawn by a script and rendered by rsvg-convert at build time; nothing
# binary is kept in the tree.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
find_program(ORVO_RSVG_CONVERT rsvg-convert)
if(NOT ORVO_RSVG_CONVERT)
    message(FATAL_ERROR "rsvg-convert not found: run tools/setup.sh")
endif()

# orvo_make_style_package(OUT STAGE): the style package OUT, made from the documents and fonts of
# assets/style and the images that assets/skin/make_skin.py renders, gathered in the folder STAGE
# (kept for tests and tools that read the files one by one). The target style_package builds it;
# whatever needs the package depends on that target, so that no two targets run its rules at once.
function(orvo_make_style_package out stage)
    set(generator ${CMAKE_SOURCE_DIR}/assets/skin/make_skin.py)
    set(stamp ${stage}.stamp)
    file(GLOB documents CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/assets/style/*)
    add_custom_command(OUTPUT ${stamp}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
        COMMAND ${Python3_EXECUTABLE} ${generator} ${stage}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/assets/style ${stage}
        COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
        DEPENDS ${generator} ${documents}
        COMMENT "Rendering the skin images"
        VERBATIM)
    # one solid block: the window decodes it once, at start, and its images share much
    add_custom_command(OUTPUT ${out}
        COMMAND ${ORVO_NATIVE_LZPACK} create --lzma=9 --solid ${out} ${stage}
        DEPENDS native_tools ${ORVO_NATIVE_LZPACK} ${stamp}
        COMMENT "Packing ${stage}"
        VERBATIM)
    add_custom_target(style_package DEPENDS ${out})
endfunction()
