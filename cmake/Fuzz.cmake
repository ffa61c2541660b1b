# Fuzz targets (tests/fuzz). With ATE_FUZZ ON the tree is built for libFuzzer:
# every library instrumented with the address and undefined-behaviour
# sanitizers, the targets linked with the fuzzer's own main. With it OFF the
# same targets are linked with a replay driver and run over their seed
# corpus and crash reproducers as ordinary tests.
option(ATE_FUZZ "Build the libFuzzer targets with sanitizers (needs clang)" OFF)

if(ATE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "ATE_FUZZ needs clang (libFuzzer), not ${CMAKE_CXX_COMPILER_ID}: "
                        "configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  # A sanitizer report must stop the run so that libFuzzer keeps the input.
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  # Static libraries: one instrumented binary per target, nothing to find at
  # run time.
  set(BUILD_SHARED_LIBS OFF)
  # SOCI's libraries do not export the type information of their classes,
  # which the vptr check needs: no vptr check in the code that uses them.
  function(ate_fuzz_without_vptr)
    foreach(target dbsession appserver_methods)
      if(TARGET ${target})
        target_compile_options(${target} PRIVATE -fno-sanitize=vptr)
      endif()
    endforeach()
  endfunction()
  cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL ate_fuzz_without_vptr)
  add_subdirectory(tests/fuzz)
elseif(ATE_BUILD_TESTS)
  enable_testing()
  add_subdirectory(tests/fuzz)
endif()
