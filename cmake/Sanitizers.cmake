# VARO_SANITIZE applies to every target, so tests, tools and libraries agree.
if(VARO_SANITIZE)
  add_compile_options(-fsanitize=${VARO_SANITIZE} -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=${VARO_SANITIZE})
  if(VARO_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()
