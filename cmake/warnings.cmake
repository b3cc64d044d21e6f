# The project's warning set. Warnings become errors only when asked for
# (the project's own scripts and CI do), never in a user's ordinary build.
option(MORVALE_WARNINGS_AS_ERRORS "Treat compiler warnings as errors" OFF)
function(morvale_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor)
  if(MORVALE_WARNINGS_AS_ERRORS)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
