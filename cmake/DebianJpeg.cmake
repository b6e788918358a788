# libjpeg-turbo for the Windows build, compiled from Debian's source package with the mingw
# toolchain: the same code (and Debian patches) as the native build's libjpeg62-turbo, as a
# static library with the IJG libjpeg 6b interface (jpeg62). Building it takes a few seconds;
# the result is kept in a cache folder named after the package version, outside the build tree,
# so a fresh build directory reuses it and a new Debian version gets its own.
#
# Needs deb-src entries for apt (scripts/setup.sh adds them) and dpkg-dev.

set(ZEN_THIRD_PARTY_CACHE "${PROJECT_SOURCE_DIR}/build/third_party"
    CACHE PATH "Folder for third-party libraries the build compiles itself (kept between build trees)")

# The Debian version of libjpeg-turbo: the one installed natively (so both builds share it),
# else the newest source package apt knows.
function(zen_debian_jpeg_version out)
  execute_process(COMMAND dpkg-query -W -f=\${source:Version} libjpeg62-turbo
                  OUTPUT_VARIABLE version RESULT_VARIABLE failed ERROR_QUIET OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(failed OR version STREQUAL "")
    execute_process(COMMAND apt-cache showsrc --only-source libjpeg-turbo
                    OUTPUT_VARIABLE sources RESULT_VARIABLE failed ERROR_QUIET)
    string(REGEX MATCH "\nVersion: ([^\n]+)" found "\n${sources}")
    set(version "${CMAKE_MATCH_1}")
  endif()
  if(version STREQUAL "")
    message(FATAL_ERROR "libjpeg-turbo: no Debian version found (run scripts/setup.sh to install "
                        "libjpeg62-turbo-dev and enable deb-src)")
  endif()
  set(${out} "${version}" PARENT_SCOPE)
endfunction()

function(zen_debian_jpeg_step)
  cmake_parse_arguments(step "" "WORKING_DIRECTORY;WHAT" "COMMAND" ${ARGN})
  execute_process(COMMAND ${step_COMMAND} WORKING_DIRECTORY "${step_WORKING_DIRECTORY}"
                  RESULT_VARIABLE failed OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(failed)
    message(FATAL_ERROR "libjpeg-turbo: ${step_WHAT} failed:\n${output}")
  endif()
endfunction()

# Sets <out_dir> to a folder holding include/ (jpeglib.h, jconfig.h, jmorecfg.h, jerror.h) and
# lib/libjpeg.a, building them first when the cache does not have them yet.
function(zen_debian_jpeg out_dir)
  zen_debian_jpeg_version(version)
  string(REGEX REPLACE "[^A-Za-z0-9.+~-]" "_" tag "${version}")
  set(dir "${ZEN_THIRD_PARTY_CACHE}/libjpeg-turbo-${tag}-mingw-w64-x86_64")
  set(${out_dir} "${dir}" PARENT_SCOPE)
  if(EXISTS "${dir}/lib/libjpeg.a" AND EXISTS "${dir}/include/jconfig.h")
    return()
  endif()

  message(STATUS "libjpeg-turbo ${version}: building the Windows library into ${dir}")
  set(work "${dir}.work")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}/download")
  zen_debian_jpeg_step(WHAT "apt-get source" WORKING_DIRECTORY "${work}/download"
                       COMMAND apt-get source --download-only "libjpeg-turbo=${version}")
  file(GLOB dsc "${work}/download/*.dsc")
  if(NOT dsc)
    message(FATAL_ERROR "libjpeg-turbo: apt-get source gave no .dsc file in ${work}/download")
  endif()
  zen_debian_jpeg_step(WHAT "dpkg-source -x" WORKING_DIRECTORY "${work}/download"
                       COMMAND dpkg-source --no-check -x "${dsc}" "${work}/source")
  zen_debian_jpeg_step(WHAT "configure" WORKING_DIRECTORY "${work}"
                       COMMAND ${CMAKE_COMMAND} -S "${work}/source" -B "${work}/build" -G Ninja
                               "-DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake"
                               -DCMAKE_BUILD_TYPE=Release "-DCMAKE_INSTALL_PREFIX=${work}/install"
                               -DENABLE_SHARED=OFF -DENABLE_STATIC=ON
                               -DWITH_JPEG8=OFF -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF)
  zen_debian_jpeg_step(WHAT "build" WORKING_DIRECTORY "${work}"
                       COMMAND ${CMAKE_COMMAND} --build "${work}/build" --target jpeg-static)

  # Assemble next to the cache entry and rename it into place, so an interrupted build never
  # leaves a half-filled entry behind.
  set(stage "${work}/stage")
  file(MAKE_DIRECTORY "${stage}/include" "${stage}/lib")
  file(COPY "${work}/source/jpeglib.h" "${work}/source/jmorecfg.h" "${work}/source/jerror.h"
            "${work}/build/jconfig.h" DESTINATION "${stage}/include")
  file(GLOB library "${work}/build/libjpeg.a" "${work}/build/jpeg-static.a" "${work}/build/libjpeg-static.a")
  if(NOT library)
    message(FATAL_ERROR "libjpeg-turbo: the static library was not found in ${work}/build")
  endif()
  list(GET library 0 library)
  file(COPY_FILE "${library}" "${stage}/lib/libjpeg.a")
  file(COPY "${work}/source/LICENSE.md" "${work}/source/README.ijg" DESTINATION "${stage}")
  file(REMOVE_RECURSE "${dir}")
  file(RENAME "${stage}" "${dir}")
  file(REMOVE_RECURSE "${work}")
endfunction()
