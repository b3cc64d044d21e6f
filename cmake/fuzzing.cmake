# The fuzzing tree (scripts/fuzz): clang only, every target instrumented for
# libFuzzer's coverage and built with AddressSanitizer and
# UndefinedBehaviorSanitizer; the fuzzer executables add -fsanitize=fuzzer
# themselves (tests/fuzz). Normal and sanitizer trees leave it off.
option(MORVALE_FUZZ "Build the libFuzzer targets of tests/fuzz (clang, ASan + UBSan)" OFF)
if(MORVALE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "MORVALE_FUZZ needs clang (CXX=clang++-14)")
  endif()
  if(NOT MORVALE_SANITIZE STREQUAL "")
    message(FATAL_ERROR "MORVALE_FUZZ brings its own sanitizers; leave MORVALE_SANITIZE empty")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
