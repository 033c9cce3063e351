# The one list of the libraries linked into the shipped programs and their licences,
# shown by Help › About KORVEX. A row names the library and its licence, and gives a
# regular expression for the CMake targets that bring it in; ALWAYS marks a library
# linked into every C++ program. A row is shown when it is ALWAYS or a shipped program
# reaches one of its targets. The configure step stops when a shipped program reaches a
# target that no row covers: add the row here when linking a new library.

korvex_linked_library("Qt 6: Core, Gui, Widgets, Svg, Concurrent, OpenGL"
  "GNU LGPL version 3 (or GNU GPL version 2)"
  TARGETS "^Qt6?::(Core|Gui|Widgets|Svg|Concurrent|OpenGL|OpenGLWidgets)$")
korvex_linked_library("Qt 6: Charts" "GNU GPL version 3" TARGETS "^Qt6?::Charts$")
korvex_linked_library("simdjson" "Apache License 2.0 or MIT" TARGETS "^simdjson::")
korvex_linked_library("OpenCV: core, imgproc" "Apache License 2.0"
  TARGETS "(^|/)libopencv_(core|imgproc)\\.so")
korvex_linked_library("Exiv2" "GNU GPL version 2 or later"
  TARGETS "^PkgConfig::EXIV2$|(^|/)libexiv2\\.so")
korvex_linked_library("OpenGL dispatch library (libglvnd)" "MIT"
  TARGETS "^(WrapOpenGL::WrapOpenGL|OpenGL::(GL|OpenGL|GLX|EGL))$")
korvex_linked_library("GNU C++ library (libstdc++) and GCC runtime"
  "GNU GPL version 3 with the GCC Runtime Library Exception" ALWAYS)
korvex_linked_library("GNU C library" "GNU LGPL version 2.1 or later"
  ALWAYS TARGETS "^Threads::Threads$")

# Targets that carry only compile or link settings, no library of their own.
set(KORVEX_SETTINGS_TARGETS "^(Qt6?::Platform|WrapAtomic::WrapAtomic)$")
