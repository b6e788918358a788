# Small helpers shared by the folders' CMakeLists.

# Sources of a folder: every .cpp directly inside it. Folders are flat and own one layer each,
# so adding a class means adding its two files; CONFIGURE_DEPENDS re-globs on the next build.
function(zen_glob_sources out)
  set(result)
  foreach(dir IN LISTS ARGN)
    file(GLOB found CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/*.cpp)
    list(APPEND result ${found})
  endforeach()
  set(${out} ${result} PARENT_SCOPE)
endfunction()

# Links the engine and module libraries whole: their classes register themselves from static
# initialisers, which a plain static link would drop as unreferenced.
function(zen_link_engine target)
  if(TARGET zen_modules)
    target_link_libraries(${target} PRIVATE zen_modules)
  endif()
  target_link_libraries(${target} PRIVATE zen_engine)
  # Windows programs carry the audio library the engine's sound manager loads at start.
  get_target_property(kind ${target} TYPE)
  if(WIN32 AND kind STREQUAL "EXECUTABLE" AND TARGET brightfold_audio)
    target_sources(${target} PRIVATE ${PROJECT_BINARY_DIR}/audio/AudioLibraryResource.rc)
    add_dependencies(${target} brightfold_audio)
    set_source_files_properties(${PROJECT_BINARY_DIR}/audio/AudioLibraryResource.rc TARGET_DIRECTORY ${target}
                                PROPERTIES OBJECT_DEPENDS ${PROJECT_BINARY_DIR}/audio/BrightfoldAudio.dll)
  endif()
endfunction()

# A libFuzzer target: one source file with LLVMFuzzerTestOneInput, linked with the whole engine
# and module libraries so that every registered class and codec is present. Seed corpora live in
# tests/fuzz/corpus/<name>/. Only used when ZEN_FUZZ is on (clang).
function(zen_add_fuzzer name source)
  add_executable(${name} ${source})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  zen_link_engine(${name})
  set_property(GLOBAL APPEND PROPERTY ZEN_FUZZERS ${name})
endfunction()
