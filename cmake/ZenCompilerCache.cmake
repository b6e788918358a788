# Compiles through ccache where the machine has it. The cache lives outside the clone (ccache's own
# default, or CCACHE_DIR), so a fresh clone and every build tree beside it reuse earlier objects.
# Paths are hashed relative to the source tree and the working directory is left out of the hash,
# so two clones at the same depth share their objects.
find_program(ZEN_CCACHE ccache)
if(ZEN_CCACHE AND NOT DEFINED ENV{ZEN_NO_CCACHE})
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=1
               CCACHE_SLOPPINESS=include_file_mtime,include_file_ctime,time_macros ${ZEN_CCACHE})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
