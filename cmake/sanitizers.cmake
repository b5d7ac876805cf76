# Sanitizers of a native build, e.g. PENDREL_SANITIZE=address,undefined: every
# finding stops the program (no recovery), so that the test run fails on it.
set(PENDREL_SANITIZE "" CACHE STRING "Sanitizers for the native build (-fsanitize=...)")
if(PENDREL_SANITIZE)
  add_compile_options(-fsanitize=${PENDREL_SANITIZE} -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=${PENDREL_SANITIZE})
endif()
