# Project-wide compiler settings, carried by one INTERFACE target that every
# target links. The options are in BuildOptions.cmake.
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

add_library(qorv_options INTERFACE)
target_compile_options(qorv_options INTERFACE -Wall -Wextra -Wpedantic
  -Wshadow -Wconversion -Wold-style-cast -Woverloaded-virtual -Wnon-virtual-dtor)
target_compile_definitions(qorv_options INTERFACE
  QT_NO_CAST_FROM_ASCII
  QT_NO_CONTEXTLESS_CONNECT
  _FILE_OFFSET_BITS=64)

# GCC 12 reports -Wrestrict for plain std::string assignments once inlined
# at -O3 (GCC bug 105651, fixed in 13): noise, not a finding.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(qorv_options INTERFACE -Wno-restrict)
endif()

if(QORV_WERROR)
  target_compile_options(qorv_options INTERFACE -Werror)
endif()

if(QORV_SANITIZE)
  target_compile_options(qorv_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qorv_options INTERFACE -fsanitize=address,undefined)
endif()
