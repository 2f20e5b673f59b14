# Warnings on for every target of the project; zero is the goal, VARO_WERROR enforces it.
function(varo_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                           -Wcast-align -Wunused -Woverloaded-virtual -Wimplicit-fallthrough)
  if(VARO_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()
