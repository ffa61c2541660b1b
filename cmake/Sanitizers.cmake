# ATE_SANITIZE: a comma-separated list of sanitizers for every target, e.g.
# -DATE_SANITIZE=address,undefined. Empty (the default) builds without them.
set(ATE_SANITIZE "" CACHE STRING
  "Sanitizers for every target, comma-separated (e.g. address,undefined)")

if(ATE_SANITIZE)
  # Frame pointers keep the reports' stacks whole; undefined behaviour stops
  # the program rather than printing and running on, so a test fails on it.
  set(ate_sanitize_flags
    -fsanitize=${ATE_SANITIZE}
    -fno-omit-frame-pointer
    -fno-sanitize-recover=undefined)
  add_compile_options(${ate_sanitize_flags})
  add_link_options(${ate_sanitize_flags})
  message(STATUS "Sanitizers: ${ATE_SANITIZE}")
endif()
