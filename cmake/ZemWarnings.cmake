# Warnings are errors on every target of the project (never on third-party code).
add_library(zem_options INTERFACE)
target_compile_options(zem_options INTERFACE
  -Wall -Wextra -Wpedantic -Wconversion -Wsign-conversion -Wshadow
  -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wunused -Woverloaded-virtual
  -Wnull-dereference -Wdouble-promotion -Wformat=2 -Werror
  # Results must be reproducible to the last bit on every toolchain: never fuse
  # a multiply and an add into one instruction.
  -ffp-contract=off)
if(WIN32)
  # One self-contained executable: no MinGW runtime DLLs next to it.
  target_link_options(zem_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()
