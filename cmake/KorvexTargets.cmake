# Helpers shared by every target of the project.

function(korvex_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wno-sign-conversion)
  # GCC 12 reports overlapping copies inside std::string concatenation at -O3
  # that cannot happen (GCC bug 105651); the warning is off for that compiler only.
  # Optimising, the same compiler also finds out-of-bounds copies in the moves
  # of short strings that its own inlining invents (the optimised build of the
  # window tests stopped on them); the sanitizer build checks real bounds.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict -Wno-array-bounds)
  endif()
  if(KORVEX_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# A static library of the toolkit-free core: C++ standard library only.
function(korvex_core_library target)
  add_library(${target} STATIC ${ARGN})
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  korvex_warnings(${target})
endfunction()

# Everything the link interface of `root` reaches, `root` included: targets by
# name, other link items (libraries by path or name) as they are written.
function(korvex_link_closure out root)
  set(pending ${root})
  set(seen "")
  while(pending)
    list(POP_FRONT pending current)
    if(current IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${current})
    if(TARGET ${current})
      get_target_property(type ${current} TYPE)
      set(deps "")
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        get_target_property(direct ${current} LINK_LIBRARIES)
        if(direct)
          list(APPEND deps ${direct})
        endif()
      endif()
      get_target_property(iface ${current} INTERFACE_LINK_LIBRARIES)
      if(iface)
        list(APPEND deps ${iface})
      endif()
      foreach(dep IN LISTS deps)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" dep "${dep}")
        list(APPEND pending ${dep})
      endforeach()
    endif()
  endwhile()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

# Walks the link interface of each target and stops the configure step when
# any library reached from it belongs to Qt.
function(korvex_require_toolkit_free)
  foreach(root IN LISTS ARGN)
    korvex_link_closure(reached ${root})
    foreach(current IN LISTS reached)
      if(current MATCHES "^Qt[0-9]*::" OR current MATCHES "(^|/)lib?Qt[0-9]")
        message(FATAL_ERROR "${root} must not depend on Qt, but reaches ${current}")
      endif()
    endforeach()
  endforeach()
endfunction()
