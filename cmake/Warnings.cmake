# Project code builds clean with these; third-party headers are not affected.
# Warnings stop the build only on request (scripts/test asks): a packager's
# newer or older compiler may warn where ours does not.
option(WAVIX_WERROR "Treat compiler warnings as errors" OFF)
add_library(wavix_warnings INTERFACE)
target_compile_options(wavix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)
if(WAVIX_WERROR)
  target_compile_options(wavix_warnings INTERFACE -Werror)
endif()
