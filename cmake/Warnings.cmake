# Project code builds clean with these; third-party headers are not affected.
add_library(wavix_warnings INTERFACE)
target_compile_options(wavix_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough
  -Werror)
