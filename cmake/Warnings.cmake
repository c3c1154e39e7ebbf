# Warnings (and, in the asan preset, sanitizers) live on one interface target
# that every project target links, so third-party code is never affected.
add_library(vistrel_warnings INTERFACE)
target_compile_options(vistrel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)

option(VISTREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VISTREL_SANITIZE)
  target_compile_options(vistrel_warnings INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
  target_link_options(vistrel_warnings INTERFACE -fsanitize=address,undefined)
endif()
