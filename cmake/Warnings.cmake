# Warnings (and, in the asan preset, sanitizers) live on one interface target
# that every project target links, so third-party code is never affected.
add_library(vistrel_warnings INTERFACE)
target_compile_options(vistrel_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast
  -Wcast-align -Woverloaded-virtual -Wnull-dereference -Wimplicit-fallthrough)

# The ci preset turns every warning into an error, so that none slips in unseen;
# the dev preset leaves them warnings, so that a newer compiler never stops a build.
option(VISTREL_WERROR "Treat compiler warnings as errors" OFF)
if(VISTREL_WERROR)
  target_compile_options(vistrel_warnings INTERFACE -Werror)
endif()

# The core computes with sizes, indexes, 32-bit geometry and 16-bit volumes: every
# narrowing or sign change there must be written out as intended.
add_library(vistrel_strict_conversions INTERFACE)
target_compile_options(vistrel_strict_conversions INTERFACE -Wconversion -Wsign-conversion)

option(VISTREL_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
if(VISTREL_SANITIZE)
  # Undefined behaviour stops the test that meets it instead of printing and going on.
  # GCC leaves a float converted to an integer it does not fit out of "undefined".
  set(VISTREL_SANITIZERS -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=undefined,float-cast-overflow)
  target_compile_options(vistrel_warnings INTERFACE ${VISTREL_SANITIZERS} -fno-omit-frame-pointer)
  target_link_options(vistrel_warnings INTERFACE ${VISTREL_SANITIZERS})
  # With sanitizers GCC's -Wmaybe-uninitialized also looks at the temporaries its own
  # instrumentation makes, and GCC's manual advises against -Werror there for that
  # reason. The builds without sanitizers keep the warning for our code.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(vistrel_warnings INTERFACE -Wno-maybe-uninitialized)
  endif()
endif()
