# Sanitizers of a native build, e.g. PENDREL_SANITIZE=address,undefined: every
# finding stops the program (no recovery), so that the test run fails on it.
set(PENDREL_SANITIZE "" CACHE STRING "Sanitizers for the native build (-fsanitize=...)")
if(PENDREL_SANITIZE)
  add_compile_options(-fsanitize=${PENDREL_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${PENDREL_SANITIZE})
endif()
# GCC 12 under ASan warns that the string and vector alternatives of a moved
# Variant "may be used uninitialized" inside std::variant: a false finding of
# the instrumented code that the plain Windows build does not show.
if(PENDREL_SANITIZE AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-maybe-uninitialized)
endif()
