# lzpack built for the build machine, to make the packages that go into the installer's resources.
include(ExternalProject)
set(ORVO_NATIVE_DIR ${CMAKE_BINARY_DIR}/native-tools)
set(ORVO_NATIVE_LZPACK ${ORVO_NATIVE_DIR}/tools/lzpack/lzpack)
ExternalProject_Add(native_tools
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${ORVO_NATIVE_DIR}
    CMAKE_ARGS -DORVO_TESTS=OFF -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++
    BUILD_COMMAND ${CMAKE_COMMAND} --build ${ORVO_NATIVE_DIR} --target lzpack
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${ORVO_NATIVE_LZPACK}
    INSTALL_COMMAND "")

# orvo_make_package(OUT DIR [DEPENDS...]): OUT is rebuilt from every file under DIR; a folder made
# by the build names what makes it (a stamp) as further dependencies.
function(orvo_make_package out dir)
    file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${dir}/*)
    list(APPEND inputs ${ARGN})
    add_custom_command(OUTPUT ${out}
        COMMAND ${ORVO_NATIVE_LZPACK} create --lzma=7 ${out} ${dir}
        DEPENDS native_tools ${ORVO_NATIVE_LZPACK} ${inputs}
        COMMENT "Packing ${dir}"
        VERBATIM)
endfunction()
